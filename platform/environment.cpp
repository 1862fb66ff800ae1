#include "platform/environment.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

namespace {

// getenv races with setenv and unsetenv; every use through these functions
// takes this lock.
std::mutex& environment_lock() {
    static std::mutex lock;
    return lock;
}

// POSIX cannot hold a name with '=' in it, nor an empty one.
bool is_usable_name(LPCSTR name) { return name && *name != '\0' && !std::strchr(name, '='); }

}  // namespace

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    if (!is_usable_name(name)) return 0;
    const std::lock_guard<std::mutex> hold(environment_lock());
    const char* value = std::getenv(name);
    if (!value) return 0;
    const std::size_t length = std::strlen(value);
    // The size needed, terminator included, must fit the result.
    if (length >= std::numeric_limits<DWORD>::max()) return 0;
    if (buffer && size > length) {
        std::memcpy(buffer, value, length + 1);
        return static_cast<DWORD>(length);
    }
    return static_cast<DWORD>(length + 1);
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (!is_usable_name(name)) return FALSE;
    const std::lock_guard<std::mutex> hold(environment_lock());
    const int status = value ? setenv(name, value, 1) : unsetenv(name);
    return status == 0 ? TRUE : FALSE;
}
