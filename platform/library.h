#pragma once

// Loading a shared library as a Windows host loads a DLL.

#include "platform/export.h"
#include "platform/wintypes.h"

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = void (*)();

extern "C" {

// Loads with every symbol bound at once and kept local to the module. Null
// on failure or for a null name; GetLastError-style detail is not kept.
WIN32_EXPORT HMODULE LoadLibraryA(LPCSTR fileName) noexcept;
// Null for a null module, an unknown name or an ordinal (a value below
// 0x10000), which a shared library does not export.
WIN32_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR procName) noexcept;
// TRUE once the reference is dropped (the last one unloads); FALSE for a
// null module or when the system refuses.
WIN32_EXPORT BOOL FreeLibrary(HMODULE module) noexcept;

}  // extern "C"

// The address of a data object exported by the library (GetProcAddress
// serves functions and data alike on Windows; this one avoids a cast).
// Null as GetProcAddress gives it.
WIN32_EXPORT void* GetDataAddress(HMODULE module, LPCSTR symbolName) noexcept;
