#pragma once

// The report path's English account of what went wrong: each failure appends
// one line where it is detected, and the text only grows. The host reads it
// through XMLXSL_GetReportError or the exported object itself.

#include <string>
#include <string_view>

#include "platform/export.h"

// "Errors: \n" and every line since; built first of the library's global
// objects and destroyed last.
WIN32_EXPORT extern std::string gXSLErrorMsg;

// Appends a fixed message unchanged. A message that finds no memory is
// dropped: the caller's status still says what failed.
void AppendReportError(std::string_view message);

// Formats format with its one "%s" replaced by value (up to its first NUL, as
// C formatting reads it), cuts the result to at most 255 bytes without
// splitting a double-byte character (a longer one loses its end, line feed
// included) and appends it.
void AppendReportError(std::string_view format, std::string_view value);
