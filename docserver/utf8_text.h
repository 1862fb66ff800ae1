#pragma once

// Strings cross the interface as BSTRs (UTF-16) and live in pugixml as
// UTF-8. These run for every field, so plain ASCII, by far the most common
// text, is copied without a call into the code page conversions, and the
// caller's buffers keep their storage from one call to the next.

#include <string>
#include <string_view>

#include "platform/unique_bstr.h"

namespace docserver {

// Narrows text up to its first NUL (a null BSTR is empty text) into out,
// replacing out's content. False when the conversion refuses the UTF-16 (an
// unpaired surrogate, say); out is unspecified then. Throws std::bad_alloc.
[[nodiscard]] bool try_to_utf8(const OLECHAR* text, std::string& out);

// A new BSTR holding the UTF-8 text, widened through scratch. Null when the
// BSTR cannot be allocated or the text is no valid UTF-8. Throws
// std::bad_alloc.
[[nodiscard]] unique_bstr to_bstr_from_utf8(std::string_view text, std::u16string& scratch);

}  // namespace docserver
