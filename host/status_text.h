#pragma once

// The line that tells the user what a status of the library means.

#include <string>

#include "platform/wintypes.h"

// "XMLXSL_E_FILEOPEN (0x80040703): a file cannot be opened" for a status of
// the library's table; for any other its hex and "a status of the document
// server, the codeplug object or the resource manager".
std::string DescribeStatus(DWORD status);

// DescribeStatus, except that a failure 0x80040001 to 0x800403FF, which the
// report entry point makes of a registry read's result n, is told as that:
// "0x80040002: the report's registry settings cannot be read (result 2)".
std::string DescribeReportStatus(DWORD status);
