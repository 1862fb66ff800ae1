#pragma once

// The process's ANSI code page, taken once at load from XMLXSL_ACP (default
// 1252), and conversions through it that give Windows' answers.

#include "platform/export.h"
#include "platform/wintypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

extern "C" {

WIN32_EXPORT UINT GetACP();

// Windows semantics: cbMultiByte / cchWideChar of -1 means NUL-terminated
// (the terminator is converted and counted); an output size of 0 asks for
// the size needed; a buffer too small gives 0 (ERROR_INSUFFICIENT_BUFFER).
WIN32_EXPORT int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int cbMultiByte, LPWSTR wideChar,
                                     int cchWideChar);
// A character that the page cannot hold becomes the default character `?`
// (no look-alike substitution); *usedDefaultChar, when given, says whether
// that happened.
WIN32_EXPORT int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar, LPSTR multiByte,
                                     int cbMultiByte, LPCCH defaultChar, LPBOOL usedDefaultChar);

WIN32_EXPORT BOOL IsDBCSLeadByte(BYTE testChar);
// The next character of an ANSI text, stepping over a double-byte character
// whole; never past the terminating NUL.
WIN32_EXPORT LPSTR CharNextA(LPCSTR current);

}  // extern "C"

// Test seam: switches the process's ANSI code page as if XMLXSL_ACP had said
// so at load. Returns false for a page that is not supported.
WIN32_EXPORT bool SetAnsiCodePageForTesting(UINT codePage);
