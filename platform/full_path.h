#pragma once

// A file name made absolute the way the file objects record theirs, so that
// two spellings of one name compare equal.

#include <string>

#include "platform/export.h"
#include "platform/wintypes.h"

extern "C" {

// Windows semantics: lpFileName made absolute against the working directory
// and lexically normalised ("." and ".." folded, doubled separators merged,
// no link resolved; the file need not exist). Returns the length without the
// terminator when the result fits in nBufferLength characters, else the size
// needed with it; 0 for a null or empty name, a working directory that cannot
// be had, or a lack of memory. lpFilePart, when given and the result fits,
// points at the part after the last separator (null when that is empty).
WIN32_EXPORT DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);

}  // extern "C"

// The same as a string; empty where GetFullPathNameA gives 0 for any reason
// but memory. Throws std::bad_alloc.
WIN32_EXPORT std::string FullPathName(LPCSTR fileName);

// The path with each pair of consecutive separators replaced by one, left to
// right without overlap: three in a row become two, four become two. Paths
// are written with doubled separators where the application escaped them.
// No trail byte of the supported double-byte pages is '/', so the bytes are
// scanned one by one. Throws std::bad_alloc.
WIN32_EXPORT std::string MergeDoubledSeparators(const std::string& path);
