#pragma once

#include "platform/export.h"
#include "platform/wintypes.h"

extern "C" {

// Appends exactly the text to the file named by XMLXSL_DEBUG_LOG, read at
// each call; without the variable the text goes nowhere.
WIN32_EXPORT void OutputDebugStringA(LPCSTR text);

}  // extern "C"
