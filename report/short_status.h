#pragma once

// Inside the report path statuses travel as the low 16 bits of the library's
// status codes; XMLXSL_CreateHTML widens them. A registry result (a small
// Win32 error code, or 1 and 9 of the settings readers) travels the same way
// and is widened alike, so 2 becomes 0x80040002.

#include "platform/wintypes.h"

using ShortStatus = DWORD;

constexpr ShortStatus kShortOk = 0x0700;
constexpr ShortStatus kShortFileOpen = 0x0703;
constexpr ShortStatus kShortConvert = 0x0706;
constexpr ShortStatus kShortReport = 0x0707;
constexpr ShortStatus kShortResourceLine = 0x0712;
constexpr ShortStatus kShortResource = 0x0713;
constexpr ShortStatus kShortTagLength = 0x0714;
constexpr ShortStatus kShortFormat = 0x0715;
constexpr ShortStatus kShortMemory = 0x0716;
constexpr ShortStatus kShortProduct = 0x0717;
constexpr ShortStatus kShortRead = 0x0718;
