#include "host/memory_codeplug.h"

#include <optional>
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
    if (!block) return E_POINTER;
    VariantInit(block);
    auto held = codeplug_.blocks.find(fieldId);
    if (held == codeplug_.blocks.end()) return E_INVALIDARG;
    return ToVariant(held->second, block);
}

HRESULT MemoryCodeplug::SetBlock(LONG fieldId, VARIANT* block) {
    if (!block) return E_POINTER;
    std::optional<BlockKind> kind = FindBlockKind(fieldId);
    if (!kind) return E_INVALIDARG;
    Block read;
    if (HRESULT hr = FromVariant(*block, *kind, read); FAILED(hr)) return hr;
    codeplug_.blocks.insert_or_assign(fieldId, std::move(read));
    return S_OK;
}
