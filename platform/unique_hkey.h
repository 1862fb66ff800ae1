#pragma once

// Sole owner of an open registry key: closes it when it goes. put() closes
// the old key before it hands out the address, so reusing an out-parameter
// cannot leak a handle.

#include <utility>

#include "platform/registry.h"

class unique_hkey {
public:
    unique_hkey() = default;
    explicit unique_hkey(HKEY key) noexcept : key_(key) {}
    unique_hkey(const unique_hkey&) = delete;
    unique_hkey& operator=(const unique_hkey&) = delete;
    unique_hkey(unique_hkey&& other) noexcept : key_(other.release()) {}
    unique_hkey& operator=(unique_hkey&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_hkey() { reset(); }

    HKEY get() const noexcept { return key_; }
    HKEY release() noexcept { return std::exchange(key_, nullptr); }
    void reset(HKEY key = nullptr) noexcept {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = key;
    }
    HKEY* put() noexcept {
        reset();
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};
