#pragma once

// Loading a shared library as a Windows host loads a DLL.

#include <string>

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
// Windows semantics: the file of a loaded module, or of the running program
// for a null module, as the system found it (the program's path is absolute
// and its links resolved). Returns the length without the terminator; when
// that does not fit in nSize characters the name is cut to nSize - 1 and
// terminated, and the result is nSize with ERROR_INSUFFICIENT_BUFFER as the
// last error. 0 with the last error set when the name cannot be had.
WIN32_EXPORT DWORD GetModuleFileNameA(HMODULE module, LPSTR lpFilename, DWORD nSize) noexcept;

}  // extern "C"

// The address of a data object exported by the library (GetProcAddress
// serves functions and data alike on Windows; this one avoids a cast).
// Null as GetProcAddress gives it.
WIN32_EXPORT void* GetDataAddress(HMODULE module, LPCSTR symbolName) noexcept;

// GetModuleFileNameA's name whole, whatever its length; empty when it
// cannot be had. Throws std::bad_alloc.
WIN32_EXPORT std::string ModuleFileName(HMODULE module);
