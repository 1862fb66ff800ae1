#include "platform/library.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/last_error.h"

namespace {

// Windows takes a value below 0x10000 as an export ordinal, which a shared
// library does not have; dlsym would read it as an address.
bool is_symbol_name(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) > 0xFFFF; }

// What Windows answers for a module handle that names no loaded module.
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;

}  // namespace

HMODULE LoadLibraryA(LPCSTR fileName) noexcept {
    // dlopen(nullptr) would hand out the main program.
    if (fileName == nullptr) return nullptr;
    return static_cast<HMODULE>(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) noexcept {
    if (module == nullptr || !is_symbol_name(procName)) return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, procName));
}

BOOL FreeLibrary(HMODULE module) noexcept {
    if (module == nullptr) return FALSE;
    return dlclose(module) == 0 ? TRUE : FALSE;
}

void* GetDataAddress(HMODULE module, LPCSTR symbolName) noexcept {
    if (module == nullptr || !is_symbol_name(symbolName)) return nullptr;
    return dlsym(module, symbolName);
}

std::string ModuleFileName(HMODULE module) {
    if (module == nullptr) {
        std::error_code failure;
        std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
        return failure ? std::string() : program.string();
    }
    link_map* loaded = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &loaded) != 0 || loaded == nullptr || loaded->l_name == nullptr) return {};
    return loaded->l_name;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR lpFilename, DWORD nSize) noexcept {
    std::string name;
    try {
        name = ModuleFileName(module);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (name.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (lpFilename == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (name.size() >= nSize) {
        std::memcpy(lpFilename, name.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}
