#include <cstring>

#include "platform/com.h"
#include "platform/oleauto.h"

namespace {

// The types this layer knows, as VariantClear and VariantCopy accept them.
// VT_EMPTY and VT_NULL carry no value to point at or to hold in an array;
// a plain VT_VARIANT would hold a VARIANT inside a VARIANT, which has no
// room: both are rejected, as Windows rejects them.
bool is_known_vartype(VARTYPE vt) noexcept {
    if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) return false;
    bool indirect = (vt & (VT_ARRAY | VT_BYREF)) != 0;
    switch (vt & VT_TYPEMASK) {
        case VT_EMPTY:
        case VT_NULL:
            return !indirect;
        case VT_VARIANT:
            return indirect;
        case VT_I2:
        case VT_I4:
        case VT_BSTR:
        case VT_ERROR:
        case VT_BOOL:
        case VT_UNKNOWN:
        case VT_UI1:
            return true;
        default:
            return false;
    }
}

// Copies `source` into `target`, which holds nothing yet. On failure
// `target` is VT_EMPTY and nothing was allocated.
[[nodiscard]] HRESULT try_copy_into_empty(VARIANT& target, const VARIANT& source) noexcept {
    if (source.vt & VT_BYREF) {
        target = source;
        return S_OK;
    }
    if (source.vt & VT_ARRAY) {
        SAFEARRAY* copy = nullptr;
        if (HRESULT hr = SafeArrayCopy(source.parray, &copy); FAILED(hr)) return hr;
        target = source;
        target.parray = copy;
        return S_OK;
    }
    switch (source.vt) {
        case VT_BSTR: {
            BSTR copy = nullptr;
            // By byte length, so that an odd-length string from SysAllocStringByteLen stays exact.
            if (source.bstrVal) {
                copy =
                    SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source.bstrVal), SysStringByteLen(source.bstrVal));
                if (!copy) return E_OUTOFMEMORY;
            }
            target = source;
            target.bstrVal = copy;
            return S_OK;
        }
        case VT_UNKNOWN:
            if (source.punkVal) source.punkVal->AddRef();
            target = source;
            return S_OK;
        default:
            target = source;
            return S_OK;
    }
}

}  // namespace

void VariantInit(VARIANT* variant) {
    if (variant) std::memset(variant, 0, sizeof(VARIANT));
}

HRESULT VariantClear(VARIANT* variant) {
    if (!variant) return E_INVALIDARG;
    VARTYPE vt = variant->vt;
    if (!is_known_vartype(vt)) return DISP_E_BADVARTYPE;
    // A byref variant owns nothing: the referent belongs to whoever lent it.
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            // A locked array is in use elsewhere: keep it, and the variant that owns it.
            if (HRESULT hr = SafeArrayDestroy(variant->parray); FAILED(hr)) return hr;
        } else if (vt == VT_BSTR) {
            SysFreeString(variant->bstrVal);
        } else if (vt == VT_UNKNOWN && variant->punkVal) {
            variant->punkVal->Release();
        }
    }
    // Windows sets the type alone; the other bytes keep what they held.
    variant->vt = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_INVALIDARG;
    if (destination == source) return S_OK;
    if (!is_known_vartype(source->vt)) return DISP_E_BADVARTYPE;

    // Copied aside first: the source may live inside what the destination
    // owns (an element of its array), which clearing would free.
    VARIANT copy;
    VariantInit(&copy);
    HRESULT copied = try_copy_into_empty(copy, *source);
    if (HRESULT hr = VariantClear(destination); FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    if (FAILED(copied)) return copied;
    *destination = copy;
    return S_OK;
}
