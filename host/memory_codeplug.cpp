#include "host/memory_codeplug.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

com_ptr<MemoryCodeplug> MemoryCodeplug::Create(Codeplug codeplug) {
    return com_ptr<MemoryCodeplug>(new MemoryCodeplug(std::move(codeplug)));
}

MemoryCodeplug::MemoryCodeplug(Codeplug codeplug) noexcept : codeplug_(std::move(codeplug)) {}

HRESULT MemoryCodeplug::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ICodeplug) {
        AddRef();
        *object = static_cast<ICodeplug*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG MemoryCodeplug::AddRef() noexcept { return ++references_; }

ULONG MemoryCodeplug::Release() noexcept {
    ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT MemoryCodeplug::Reserved1() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved2() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved3() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved4() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved5() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved6() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved7() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved8() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved9() noexcept { return E_NOTIMPL; }
HRESULT MemoryCodeplug::Reserved10() noexcept { return E_NOTIMPL; }

HRESULT MemoryCodeplug::GetBlock(LONG fieldId, VARIANT* block) {
    if (block) VariantInit(block);
    AddRef();
    com_ptr<MemoryCodeplug> keepAlive(this);
    enterCall(CodeplugCall::Get, fieldId, getOrder_);
    if (std::optional<HRESULT> injected = applyFault(getFaults_, "GetBlock", fieldId)) return *injected;
    if (!block) return E_POINTER;

    auto held = codeplug_.blocks.find(fieldId);
    if (held == codeplug_.blocks.end()) return E_INVALIDARG;
    return ToVariant(held->second, block);
}

HRESULT MemoryCodeplug::SetBlock(LONG fieldId, VARIANT* block) {
    AddRef();
    com_ptr<MemoryCodeplug> keepAlive(this);
    enterCall(CodeplugCall::Set, fieldId, setOrder_);
    if (std::optional<HRESULT> injected = applyFault(setFaults_, "SetBlock", fieldId)) return *injected;
    if (!block) return E_POINTER;

    std::optional<BlockKind> kind = FindBlockKind(fieldId);
    if (!kind) return E_INVALIDARG;
    Block read;
    if (HRESULT hr = FromVariant(*block, *kind, read); FAILED(hr)) return hr;
    codeplug_.blocks.insert_or_assign(fieldId, std::move(read));
    return S_OK;
}

void MemoryCodeplug::failOnGet(LONG fieldId, HRESULT status) { getFaults_[fieldId] = {status, false}; }
void MemoryCodeplug::throwOnGet(LONG fieldId) { getFaults_[fieldId] = {E_FAIL, true}; }
void MemoryCodeplug::failOnSet(LONG fieldId, HRESULT status) { setFaults_[fieldId] = {status, false}; }
void MemoryCodeplug::throwOnSet(LONG fieldId) { setFaults_[fieldId] = {E_FAIL, true}; }

void MemoryCodeplug::clearFaults() noexcept {
    getFaults_.clear();
    setFaults_.clear();
}

int MemoryCodeplug::getCalls(LONG fieldId) const noexcept {
    return static_cast<int>(std::count(getOrder_.begin(), getOrder_.end(), fieldId));
}

int MemoryCodeplug::setCalls(LONG fieldId) const noexcept {
    return static_cast<int>(std::count(setOrder_.begin(), setOrder_.end(), fieldId));
}

void MemoryCodeplug::clearCalls() noexcept {
    getOrder_.clear();
    setOrder_.clear();
}

void MemoryCodeplug::enterCall(CodeplugCall call, LONG fieldId, std::vector<LONG>& order) {
    order.push_back(fieldId);
    // A copy, so that a hook which replaces itself does not destroy the function it runs in.
    if (CallHook hook = hook_) hook(call, fieldId);
}

std::optional<HRESULT> MemoryCodeplug::applyFault(const std::map<LONG, Fault>& faults, const char* call, LONG fieldId) {
    auto fault = faults.find(fieldId);
    if (fault == faults.end()) return std::nullopt;
    if (fault->second.throws)
        throw std::runtime_error(std::string("MemoryCodeplug: injected ") + call + " failure on block " +
                                 std::to_string(fieldId));
    return fault->second.status;
}
