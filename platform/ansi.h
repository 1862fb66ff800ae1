#pragma once

// Conversions between BSTRs and narrow text in the ANSI code page, as the
// library does at every COM boundary.

#include <string>
#include <string_view>

#include "platform/export.h"
#include "platform/unique_bstr.h"

// The BSTR's characters up to its first NUL, narrowed through the ANSI code
// page. A null BSTR gives an empty string. Throws std::bad_alloc.
WIN32_EXPORT std::string to_ansi(const OLECHAR* text);
WIN32_EXPORT std::string to_ansi(const OLECHAR* text, std::size_t length);

// A new BSTR of the text widened through the ANSI code page, all bytes
// included (an embedded NUL stays). Throws std::bad_alloc.
WIN32_EXPORT unique_bstr to_bstr(std::string_view text);

// The same widening into UTF-16 without a BSTR.
WIN32_EXPORT std::u16string to_wide(std::string_view text);
