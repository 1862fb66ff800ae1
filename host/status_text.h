#pragma once

// The line that tells the user what a status of the library or of its
// document server means and what to do about it.

#include <string>

#include "platform/wintypes.h"

// "XMLXSL_E_FILEIO (0x80040705): file error while reading or writing an XML
// file; check that the disk has room and works": the name, the code, the
// meaning (the library's own table, codeplug/status.h, or the document
// server's, docserver/docserver.h) and what to do. Any other status is told
// as a result of the codeplug object or the resource manager.
std::string DescribeStatus(DWORD status);

// "XMLXSL_E_MEMORY (0x80040716)": the name and code alone; the code alone
// for a status of neither table.
std::string NameStatus(DWORD status);
