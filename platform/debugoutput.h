#pragma once

#include "platform/export.h"
#include "platform/wintypes.h"

extern "C" {

// Appends exactly the text to the file named by XMLXSL_DEBUG_LOG, read at
// each call, creating the file when missing; without the variable, or when
// the file cannot be written, the text goes nowhere, silently. A null or
// empty text does nothing.
WIN32_EXPORT void OutputDebugStringA(LPCSTR text);

}  // extern "C"
