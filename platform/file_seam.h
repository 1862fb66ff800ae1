#pragma once

// The system calls that the file object (file.h) makes, behind a table that
// tests swap to inject failures. Every entry keeps the system call's contract:
// -1 with errno set on failure. The types are spelled without POSIX headers
// so that code outside the platform layer can include this one.

#include <cstddef>
#include <cstdint>

#include "platform/export.h"

struct file_system_calls {
    int (*open)(const char* path, int flags, unsigned mode);
    int (*flock)(int descriptor, int operation);
    std::ptrdiff_t (*read)(int descriptor, void* buffer, std::size_t count);
    std::ptrdiff_t (*write)(int descriptor, const void* buffer, std::size_t count);
    int (*fsync)(int descriptor);
    int (*close)(int descriptor);
    int (*ftruncate)(int descriptor, std::int64_t length);
};

// The table that calls the system itself.
WIN32_EXPORT file_system_calls real_file_system_calls() noexcept;

// For tests: installs calls as the table the file object uses and returns
// the one it replaces. Not synchronised with file objects in use on other
// threads.
WIN32_EXPORT file_system_calls exchange_file_system_calls(const file_system_calls& calls) noexcept;

// Installs a table for one scope and puts the previous one back after it.
class scoped_file_system_calls {
public:
    explicit scoped_file_system_calls(const file_system_calls& calls) noexcept
        : previous_(exchange_file_system_calls(calls)) {}
    scoped_file_system_calls(const scoped_file_system_calls&) = delete;
    scoped_file_system_calls& operator=(const scoped_file_system_calls&) = delete;
    ~scoped_file_system_calls() { exchange_file_system_calls(previous_); }

private:
    file_system_calls previous_;
};
