#pragma once

// Sole owner of a SAFEARRAY. put() destroys the old array before handing out
// the address, so reusing an out-parameter cannot leak. Copying can fail, so
// there is no copy constructor: copy_to() reports.

#include <utility>

#include "platform/oleauto.h"

class unique_safearray {
public:
    unique_safearray() noexcept = default;
    explicit unique_safearray(SAFEARRAY* owned) noexcept : array_(owned) {}
    unique_safearray(const unique_safearray&) = delete;
    unique_safearray& operator=(const unique_safearray&) = delete;
    unique_safearray(unique_safearray&& other) noexcept : array_(other.release()) {}
    unique_safearray& operator=(unique_safearray&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_safearray() { SafeArrayDestroy(array_); }

    SAFEARRAY* get() const noexcept { return array_; }
    SAFEARRAY* release() noexcept { return std::exchange(array_, nullptr); }
    void reset(SAFEARRAY* owned = nullptr) noexcept { SafeArrayDestroy(std::exchange(array_, owned)); }
    SAFEARRAY** put() noexcept {
        reset();
        return &array_;
    }
    explicit operator bool() const noexcept { return array_ != nullptr; }

    // A deep copy that `out` takes over (null for an empty owner); `out` is
    // overwritten, not freed, and holds null on failure.
    [[nodiscard]] HRESULT copy_to(SAFEARRAY** out) const noexcept { return SafeArrayCopy(array_, out); }

private:
    SAFEARRAY* array_ = nullptr;
};
