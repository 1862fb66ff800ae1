#include "tests/support/scripted_codeplug.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

HRESULT ScriptedCodeplug::QueryInterface(REFIID iid, void** object) noexcept {
    *object = iid == IID_IUnknown || iid == IID_ICodeplug ? static_cast<ICodeplug*>(this) : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG ScriptedCodeplug::Release() noexcept {
    ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT ScriptedCodeplug::GetBlock(LONG fieldId, VARIANT* block) {
    if (block) VariantInit(block);
    if (std::optional<HRESULT> injected = enter(getOrder_, getFaults_, fieldId)) return *injected;
    if (auto raw = raw_.find(fieldId); raw != raw_.end()) return raw->second.copy_to(block);
    return served_->GetBlock(fieldId, block);
}

HRESULT ScriptedCodeplug::SetBlock(LONG fieldId, VARIANT* block) {
    if (std::optional<HRESULT> injected = enter(setOrder_, setFaults_, fieldId)) return *injected;
    return served_->SetBlock(fieldId, block);
}

std::optional<HRESULT> ScriptedCodeplug::enter(std::vector<LONG>& order, const Faults& faults, LONG fieldId) {
    order.push_back(fieldId);
    // A copy, so that a hook which replaces itself does not destroy the function it runs in.
    if (std::function<void(LONG)> hook = hook_) hook(fieldId);
    auto fault = faults.find(fieldId);
    if (fault == faults.end()) return std::nullopt;
    if (!fault->second)
        throw std::runtime_error("ScriptedCodeplug: injected failure on block " + std::to_string(fieldId));
    return fault->second;
}

VARIANT I4(LONG value) {
    VARIANT cell{};
    cell.vt = VT_I4;
    cell.lVal = value;
    return cell;
}

VARIANT UI1(BYTE value) {
    VARIANT cell{};
    cell.vt = VT_UI1;
    cell.bVal = value;
    return cell;
}

unique_variant MakeTypeArray(LONG rows, LONG columns, LONG rowLowerBound) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), rowLowerBound}, {static_cast<ULONG>(columns), 0}};
    unique_variant array;
    array.get()->parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    array.get()->vt = VT_ARRAY | VT_VARIANT;
    EXPECT_NE(array.get()->parray, nullptr);
    return array;
}

void SetCell(unique_variant& array, LONG row, LONG column, VARIANT value) {
    LONG index[2] = {row, column};
    EXPECT_EQ(SafeArrayPutElement(array.get()->parray, index, &value), S_OK);
    VariantClear(&value);
}

unique_variant MakeVector(std::initializer_list<VARIANT> elements, LONG lowerBound) {
    unique_variant array;
    array.get()->parray = SafeArrayCreateVector(VT_VARIANT, lowerBound, static_cast<ULONG>(elements.size()));
    array.get()->vt = VT_ARRAY | VT_VARIANT;
    for (VARIANT element : elements) {
        EXPECT_EQ(SafeArrayPutElement(array.get()->parray, &lowerBound, &element), S_OK);
        VariantClear(&element);
        ++lowerBound;
    }
    return array;
}
