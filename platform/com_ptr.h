#pragma once

// Holds one reference on a COM object and releases it when it goes.

#include <utility>

#include "platform/com.h"

template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    // Takes over a reference the caller already holds.
    explicit com_ptr(T* owned) noexcept : object_(owned) {}
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : object_(other.release()) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~com_ptr() { reset(); }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T* release() noexcept { return std::exchange(object_, nullptr); }
    void reset(T* owned = nullptr) noexcept {
        if (T* old = std::exchange(object_, owned)) old->Release();
    }
    T** put() noexcept {
        reset();
        return &object_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};
