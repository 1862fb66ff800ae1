#pragma once

#include "platform/export.h"
#include "platform/wintypes.h"

extern "C" {

// Windows semantics: returns the length without the terminator when the
// value fits in size bytes, else the size needed including it; 0 when the
// variable does not exist.
WIN32_EXPORT DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
// A null value removes the variable.
WIN32_EXPORT BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

}  // extern "C"
