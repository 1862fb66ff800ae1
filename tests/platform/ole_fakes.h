#pragma once

// Fakes and small builders shared by the OLE automation and COM tests.

#include <string_view>

#include "platform/com.h"
#include "platform/fault_injection.h"
#include "platform/oleauto.h"

// An IUnknown on the test's stack that counts what the code under test did
// to it. It starts with the test's own reference.
class counting_unknown final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override {
        ++add_refs;
        return ++references;
    }
    ULONG Release() override {
        ++releases;
        return --references;
    }

    ULONG references = 1;
    int add_refs = 0;
    int releases = 0;
};

// Arms the allocation seam for one scope and disarms it however the scope ends.
class scoped_allocation_failure {
public:
    explicit scoped_allocation_failure(int after) noexcept { FailOleAllocationsAfter(after); }
    scoped_allocation_failure(const scoped_allocation_failure&) = delete;
    scoped_allocation_failure& operator=(const scoped_allocation_failure&) = delete;
    ~scoped_allocation_failure() { FailOleAllocationsAfter(-1); }
};

inline std::u16string_view text_of(BSTR text) { return {text, SysStringLen(text)}; }

// A variant that owns what it holds; the caller clears it.
inline VARIANT owning_variant(VARTYPE vt, void* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.byref = value;
    return v;
}

inline VARIANT bstr_variant(std::u16string_view text) {
    return owning_variant(VT_BSTR, SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// Takes a new reference on `object` for the variant.
inline VARIANT object_variant(IUnknown* object) {
    object->AddRef();
    return owning_variant(VT_UNKNOWN, object);
}
