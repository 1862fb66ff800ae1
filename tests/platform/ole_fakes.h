#pragma once

// Fakes and small builders shared by the OLE automation and COM tests.

#include <string_view>

#include "platform/com.h"
#include "platform/oleauto.h"

// An IUnknown on the test's stack that counts the references the code under
// test holds on it. It starts with the test's own.
class counting_unknown final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }

    ULONG references = 1;
};

inline std::u16string_view text_of(BSTR text) { return {text, SysStringLen(text)}; }

// A variant that owns what it holds; the caller clears it.
inline VARIANT owning_variant(VARTYPE vt, void* value) {
    return {.vt = vt, .wReserved1 = 0, .wReserved2 = 0, .wReserved3 = 0, .byref = value};
}

inline VARIANT bstr_variant(std::u16string_view text) {
    return owning_variant(VT_BSTR, SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// Takes a new reference on `object` for the variant.
inline VARIANT object_variant(IUnknown* object) {
    object->AddRef();
    return owning_variant(VT_UNKNOWN, object);
}
