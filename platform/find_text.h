#pragma once

// Finds a marker in a text of tens of megabytes. The markers that a report
// looks for ("</TORVALE_CODEPLUG>", "\"Alias\">", "</ALIAS") begin with
// characters that every tag holds, so a search that stops at each place
// their first character stands stops at every tag; the C library's search
// for a whole byte sequence does not.

#include <cstddef>
#include <string_view>

#include "platform/export.h"

// The first position at or after `from` where `what` stands in `text`, or
// npos; `from` itself for an empty `what` that lies within the text.
[[nodiscard]] WIN32_EXPORT std::size_t FindText(std::string_view text, std::string_view what,
                                                std::size_t from = 0) noexcept;
