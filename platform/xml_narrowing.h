#pragma once

// XML text narrowed to the ANSI code page without losing a character: one
// that the page cannot hold is written as a numeric character reference
// (&#x141; for "Ł", &#x1F692; for a surrogate pair) where XML allows one, in
// character data and attribute values. Anywhere else (a name, a comment, a
// CDATA section, a processing instruction) a reference would mean something
// else or nothing, so the conversion refuses instead. Whether a character
// fits is the conversion's own answer for that character, never a guess from
// a "?" in the result.

#include <cstddef>
#include <string>

#include "platform/export.h"
#include "platform/wintypes.h"

enum class xml_narrowing {
    converted,
    // A surrogate without its other half: no character to write at all.
    lone_surrogate,
    // U+0000, which no XML text may hold, not even as a reference.
    nul_character,
    // A character that the page lacks, where no reference may stand.
    outside_text,
};

// Whether the UTF-16 text can be XML text at all: no U+0000 and no surrogate
// without its other half. A null text is empty.
[[nodiscard]] WIN32_EXPORT bool IsXmlText(const OLECHAR* text, std::size_t length) noexcept;

// Narrows length UTF-16 units of XML text into out (replaced). On any result
// but converted, out is unspecified. Throws std::bad_alloc.
[[nodiscard]] WIN32_EXPORT xml_narrowing try_to_ansi_xml(const OLECHAR* text, std::size_t length, std::string& out);
