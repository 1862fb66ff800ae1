#pragma once

// The process's ANSI code page, taken once at load from XMLXSL_ACP (default
// 1252), and conversions through it that give Windows' answers.
//
// XMLXSL_ACP holds a decimal page number. The single-byte pages 1250 to 1258
// and the double-byte pages 932, 936, 949 and 950 are supported; any other
// value, or one that is not a plain decimal number, silently gives 1252.

#include "platform/export.h"
#include "platform/wintypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

constexpr UINT MAX_LEADBYTES = 12;
constexpr UINT MAX_DEFAULTCHAR = 2;

// LeadByte lists the lead-byte ranges as inclusive pairs, ended by a 0, 0
// pair.
struct CPINFO {
    UINT MaxCharSize;
    BYTE DefaultChar[MAX_DEFAULTCHAR];
    BYTE LeadByte[MAX_LEADBYTES];
};

extern "C" {

WIN32_EXPORT UINT GetACP();

// Fills *info for CP_ACP, CP_UTF8 or a supported page number; FALSE for any
// other page or a null info.
WIN32_EXPORT BOOL GetCPInfo(UINT codePage, CPINFO* info);

// Windows semantics: cbMultiByte / cchWideChar of -1 means NUL-terminated
// (the terminator is converted and counted); an output size of 0 asks for
// the size needed; a buffer too small gives 0 (ERROR_INSUFFICIENT_BUFFER).
// So do a null input, an input size of 0 or below -1, an unsupported page
// and flags that the page does not allow (CP_UTF8 takes 0 or
// MB_ERR_INVALID_CHARS; the ANSI pages MB_PRECOMPOSED as well).
// Bytes that are no character of the page decode as on Windows: under 932 a
// lead byte with a byte that completes no character, or a lead byte at the
// end, is U+30FB (a NUL after it stays a NUL of its own); under 936, 949 and
// 950 such sequences are '?'; ill-formed UTF-8 is U+FFFD for each maximal
// ill-formed part. With MB_ERR_INVALID_CHARS any of these gives 0.
WIN32_EXPORT int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int cbMultiByte, LPWSTR wideChar,
                                     int cchWideChar);
// A character that the page cannot hold becomes the default character `?`,
// or the one character at defaultChar (no look-alike substitution), and so
// does each half of a surrogate pair and each lone surrogate;
// *usedDefaultChar, when given, says whether that happened. CP_UTF8 writes
// U+FFFD for a lone surrogate (0 with WC_ERR_INVALID_CHARS) and, as on
// Windows, fails when defaultChar or usedDefaultChar is given. The ANSI pages
// take flags 0 or WC_NO_BEST_FIT_CHARS.
WIN32_EXPORT int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar, LPSTR multiByte,
                                     int cbMultiByte, LPCCH defaultChar, LPBOOL usedDefaultChar);

WIN32_EXPORT BOOL IsDBCSLeadByte(BYTE testChar);
// The next character of an ANSI text, stepping over a double-byte character
// whole; never past the terminating NUL: a lead byte followed by the NUL
// steps one byte, and at the NUL the result is `current` itself. A null
// `current` gives null.
WIN32_EXPORT LPSTR CharNextA(LPCSTR current);

}  // extern "C"

// Whether XMLXSL_ACP, as read at load, was unset or named a supported page:
// false when it was set to anything else (an empty value included), which
// gives 1252 all the same. Lets a host refuse a setting that the platform
// silently replaces.
WIN32_EXPORT bool IsAnsiCodePageSettingValid() noexcept;

// Test seam: switches the process's ANSI code page as if XMLXSL_ACP had said
// so at load. Returns false for a page that is not supported.
WIN32_EXPORT bool SetAnsiCodePageForTesting(UINT codePage);
