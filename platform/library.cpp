#include "platform/library.h"

#include <dlfcn.h>

#include <cstdint>

namespace {

// Windows takes a value below 0x10000 as an export ordinal, which a shared
// library does not have; dlsym would read it as an address.
bool is_symbol_name(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) > 0xFFFF; }

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
