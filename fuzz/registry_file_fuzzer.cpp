// .reg files through the platform registry: any bytes as the registry file,
// then a few values queried under a few keys, each value three ways (its
// size, into a buffer of that size, into one byte less), which must agree.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/scratch_folder.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace {

struct Scratch {
    ScratchFolder folder;
    std::string registryPath = folder.file("registry.reg");

    Scratch() {
        if (!SetEnvironmentVariableA("XMLXSL_REGISTRY", registryPath.c_str())) std::abort();
    }
};

const Scratch& scratch() {
    static const Scratch made;
    return made;
}

// name is the value's or the key's; null stands for the default value or
// the key itself.
[[noreturn]] void fail(const char* what, const char* name, LSTATUS status) {
    std::fprintf(stderr, "%s: [%s], status %d\n", what, name ? name : "(null)", static_cast<int>(status));
    std::abort();
}

bool is_open_status(LSTATUS status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_BADDB;
}

void check_value(HKEY key, const char* valueName) {
    DWORD type = 0xFFFF;
    DWORD size = 0xFFFF;
    const LSTATUS sized = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    if (sized == ERROR_FILE_NOT_FOUND || sized == ERROR_BADDB) {
        if (sized == ERROR_FILE_NOT_FOUND && size != 0xFFFF) fail("a missing value changes the size", valueName, sized);
        return;
    }
    if (sized != ERROR_SUCCESS) fail("querying the size fails", valueName, sized);

    // A guard byte past the data shows a write beyond the size given.
    std::vector<BYTE> buffer(std::size_t{size} + 1, 0xA5);
    DWORD filled = size;
    DWORD filledType = 0xFFFF;
    const LSTATUS read = RegQueryValueExA(key, valueName, nullptr, &filledType, buffer.data(), &filled);
    if (read != ERROR_SUCCESS) fail("reading into a buffer of the size given fails", valueName, read);
    if (filled != size || filledType != type) fail("reading gives another size or type", valueName, read);
    if (buffer[size] != 0xA5) fail("reading writes past the size", valueName, read);
    if (size == 0) return;

    DWORD shortSize = size - 1;
    const LSTATUS tooSmall = RegQueryValueExA(key, valueName, nullptr, nullptr, buffer.data(), &shortSize);
    if (tooSmall != ERROR_MORE_DATA || shortSize != size)
        fail("a buffer too small is not refused", valueName, tooSmall);
}

constexpr const char* kValueNames[] = {nullptr, "DealerInfoLeft", "ReportResource", "Value", "A"};

void check_values(HKEY key) {
    for (const char* name : kValueNames) check_value(key, name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteWholeFile(scratch().registryPath, data, size);

    check_values(HKEY_LOCAL_MACHINE);
    constexpr const char* kKeys[] = {"Software\\Corvane\\TORVALE", "SOFTWARE\\Corvane\\TORVALE\\Language\\English",
                                     "Software\\", nullptr};
    for (const char* subKey : kKeys) {
        HKEY key = nullptr;
        const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key);
        if (!is_open_status(opened)) fail("opening a key gives an unknown status", subKey, opened);
        if ((opened == ERROR_SUCCESS) != (key != nullptr)) fail("the handle disagrees with the status", subKey, opened);
        if (opened != ERROR_SUCCESS) continue;
        check_values(key);

        HKEY subkey = nullptr;
        if (RegOpenKeyExA(key, "Language", 0, KEY_QUERY_VALUE, &subkey) == ERROR_SUCCESS) {
            check_values(subkey);
            if (RegCloseKey(subkey) != ERROR_SUCCESS) fail("closing a subkey fails", subKey, 0);
        }
        if (RegCloseKey(key) != ERROR_SUCCESS) fail("closing a key fails", subKey, 0);
        if (RegCloseKey(key) != ERROR_INVALID_HANDLE) fail("a closed key closes again", subKey, 0);
    }
    HKEY user = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &user) == ERROR_SUCCESS) {
        check_values(user);
        RegCloseKey(user);
    }
    return 0;
}
