#pragma once

// Sole owner of a VARIANT and whatever it holds. put() clears the old value
// before handing out the address, so reusing an out-parameter cannot leak.
// Copying can fail, so there is no copy constructor: copy_to() reports.

#include <new>
#include <string_view>

#include "platform/oleauto.h"

class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&value_); }
    // Takes over what `owned` holds; the caller must not clear it again.
    explicit unique_variant(const VARIANT& owned) noexcept : value_(owned) {}
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    unique_variant(unique_variant&& other) noexcept : value_(other.release()) {}
    unique_variant& operator=(unique_variant&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_variant() { VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARTYPE vt() const noexcept { return value_.vt; }

    // Hands the value to the caller, who now clears it; this owner is left VT_EMPTY.
    VARIANT release() noexcept {
        VARIANT out = value_;
        VariantInit(&value_);
        return out;
    }
    // VariantClear leaves the payload's bytes behind, as on Windows; an owner
    // hands out none of them.
    void reset() noexcept {
        VariantClear(&value_);
        VariantInit(&value_);
    }
    void reset(const VARIANT& owned) noexcept {
        VariantClear(&value_);
        value_ = owned;
    }
    VARIANT* put() noexcept {
        reset();
        return &value_;
    }

    // A deep copy into `out`, which VariantCopy clears first, so it must hold
    // a valid variant. On failure `out` is VT_EMPTY (or untouched when it
    // could not be cleared) and the HRESULT says why.
    [[nodiscard]] HRESULT copy_to(VARIANT* out) const noexcept { return VariantCopy(out, &value_); }

private:
    VARIANT value_;
};

// A variant of type VT_BSTR that holds a copy of text. Throws std::bad_alloc.
inline unique_variant make_bstr_variant(std::u16string_view text) {
    unique_variant variant;
    variant.get()->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (variant.get()->bstrVal == nullptr) throw std::bad_alloc();
    variant.get()->vt = VT_BSTR;
    return variant;
}
