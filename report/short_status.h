#pragma once

// Inside the report path statuses travel as the low 16 bits of the library's
// status codes; XMLXSL_CreateHTML widens them. A registry result (a small
// Win32 error code, or 1 and 9 of the settings readers) travels the same way
// and is widened alike, so 2 becomes 0x80040002.

#include "codeplug/status.h"
#include "platform/wintypes.h"

using ShortStatus = DWORD;

// The short form of one of the library's status codes.
constexpr ShortStatus ShortStatusOf(DWORD status) { return status & 0xFFFFu; }

constexpr ShortStatus kShortOk = ShortStatusOf(XMLXSL_S_OK);
constexpr ShortStatus kShortFileOpen = ShortStatusOf(XMLXSL_E_FILEOPEN);
constexpr ShortStatus kShortConvert = ShortStatusOf(XMLXSL_E_CONVERT);
constexpr ShortStatus kShortReport = ShortStatusOf(XMLXSL_E_REPORT);
constexpr ShortStatus kShortResourceLine = ShortStatusOf(XMLXSL_E_RESOURCELINE);
constexpr ShortStatus kShortResource = ShortStatusOf(XMLXSL_E_RESOURCE);
constexpr ShortStatus kShortTagLength = ShortStatusOf(XMLXSL_E_TAGLENGTH);
constexpr ShortStatus kShortFormat = ShortStatusOf(XMLXSL_E_FORMAT);
constexpr ShortStatus kShortMemory = ShortStatusOf(XMLXSL_E_MEMORY);
constexpr ShortStatus kShortProduct = ShortStatusOf(XMLXSL_E_PRODUCT);
constexpr ShortStatus kShortRead = ShortStatusOf(XMLXSL_E_READ);
