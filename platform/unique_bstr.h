#pragma once

// Sole owner of a BSTR. put() frees the old string before handing out the
// address, so reusing an out-parameter cannot leak.

#include <utility>

#include "platform/oleauto.h"

class unique_bstr {
public:
    unique_bstr() noexcept = default;
    explicit unique_bstr(BSTR owned) noexcept : text_(owned) {}
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : text_(other.release()) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_bstr() { SysFreeString(text_); }

    BSTR get() const noexcept { return text_; }
    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    void reset(BSTR owned = nullptr) noexcept { SysFreeString(std::exchange(text_, owned)); }
    BSTR* put() noexcept {
        reset();
        return &text_;
    }
    UINT length() const noexcept { return SysStringLen(text_); }
    explicit operator bool() const noexcept { return text_ != nullptr; }

private:
    BSTR text_ = nullptr;
};
