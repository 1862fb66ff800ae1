#pragma once

// Loading a shared library as a Windows host loads a DLL.

#include "platform/export.h"
#include "platform/wintypes.h"

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = void (*)();

extern "C" {

// Null on failure; GetLastError-style detail is not kept.
WIN32_EXPORT HMODULE LoadLibraryA(LPCSTR fileName);
WIN32_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
WIN32_EXPORT BOOL FreeLibrary(HMODULE module);

}  // extern "C"

// The address of a data object exported by the library (GetProcAddress
// serves functions and data alike on Windows; this one avoids a cast).
WIN32_EXPORT void* GetDataAddress(HMODULE module, LPCSTR symbolName);
