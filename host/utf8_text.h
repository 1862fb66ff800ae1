#pragma once

// Exact conversions between UTF-8 and UTF-16, with no code page involved:
// what the program's JSON files and command-line arguments hold against
// what the codeplug model and the library's BSTRs hold.

#include <optional>
#include <string>
#include <string_view>

// None for text that is no well-formed UTF-8 or too long to convert.
std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8);

// None for text with a lone surrogate, which UTF-8 cannot carry, or too long
// to convert.
std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16);
