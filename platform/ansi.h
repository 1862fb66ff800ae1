#pragma once

// The text conversions that everything calls, one for each direction and
// encoding: UTF-16 (BSTRs) to and from the ANSI code page, as the library
// converts at every COM boundary, and to and from UTF-8, as the document
// server keeps its text and the program's files hold theirs; and the one
// walk over ANSI text by characters.

#include <string>
#include <string_view>

#include "platform/codepage.h"
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

// Walks ANSI text by characters, as CharNextA steps: under a double-byte
// code page a lead byte takes the next byte with it, unless that is a NUL or
// the end, so that a trail byte equal to '^' or '/' is not taken for one.
// The lead bytes are looked up once, when the walker is made.
class ansi_characters {
public:
    ansi_characters() noexcept {
        for (unsigned byte = 0; byte < 256; ++byte) lead_[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    }

    // Where the character that begins at `at` ends.
    std::size_t next(std::string_view text, std::size_t at) const noexcept {
        const bool pair = is_lead(text[at]) && at + 1 < text.size() && text[at + 1] != '\0';
        return at + (pair ? 2 : 1);
    }

    // Whether the byte at `at` begins a character, given that the one at
    // `from` does. It is a trail byte exactly when an odd run of lead bytes
    // stands right before it: the byte before the run ends a character, and
    // within the run each byte leads the next. Looking back no further than
    // `from` keeps a search linear.
    bool begins_character(std::string_view text, std::size_t from, std::size_t at) const noexcept {
        std::size_t leads = 0;
        while (at - leads > from && is_lead(text[at - leads - 1])) ++leads;
        return leads % 2 == 0;
    }

    // The first `c` that begins a character at or after `from`, which must
    // begin one; npos when there is none.
    std::size_t find(std::string_view text, char c, std::size_t from) const noexcept {
        for (std::size_t at = text.find(c, from); at != std::string_view::npos; at = text.find(c, at + 1))
            if (begins_character(text, from, at)) return at;
        return std::string_view::npos;
    }

    // The last character that is one of `chars`; npos when there is none.
    std::size_t find_last_of(std::string_view text, std::string_view chars) const noexcept {
        std::size_t last = std::string_view::npos;
        for (std::size_t at = 0; at < text.size(); at = next(text, at))
            if (chars.find(text[at]) != std::string_view::npos) last = at;
        return last;
    }

    // The length of the longest start of text that has at most `limit` bytes
    // and ends where a character ends.
    std::size_t fitting(std::string_view text, std::size_t limit) const noexcept {
        std::size_t end = 0;
        for (std::size_t after = 0; end < text.size() && (after = next(text, end)) <= limit;) end = after;
        return end;
    }

    std::size_t count(std::string_view text) const noexcept {
        std::size_t characters = 0;
        for (std::size_t at = 0; at < text.size(); at = next(text, at)) ++characters;
        return characters;
    }

private:
    bool is_lead(char byte) const noexcept { return lead_[static_cast<unsigned char>(byte)]; }

    bool lead_[256];
};

// What a UTF-8 conversion does with input that is no text of its encoding:
// a surrogate without its other half, or bytes that are no UTF-8.
enum class ill_formed {
    refuse,   // the conversion fails
    replace,  // U+FFFD stands in, for each maximal ill-formed part
};

// UTF-16 into UTF-8, replacing out's content and keeping its storage, so a
// caller that converts again and again allocates rarely; plain ASCII is
// copied without a call into the code page conversions. False only when
// policy refuses; out is unspecified then. Throws std::bad_alloc.
[[nodiscard]] WIN32_EXPORT bool try_to_utf8(std::u16string_view text, std::string& out, ill_formed policy);
// UTF-8 into UTF-16, likewise.
[[nodiscard]] WIN32_EXPORT bool try_from_utf8(std::string_view text, std::u16string& out, ill_formed policy);
