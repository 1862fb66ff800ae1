#include "platform/xml_narrowing.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>
#include <string_view>

#include "platform/codepage.h"
#include "platform/large_pages.h"

namespace {

bool is_high_surrogate(OLECHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(OLECHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The whole text through the code page in one call; false when a character
// needed the default character, or the conversion failed.
bool try_narrow_whole(std::u16string_view text, std::string& out) {
    if (text.empty()) {
        out.clear();
        return true;
    }
    if (text.size() > INT_MAX) throw std::bad_alloc();
    CPINFO page{};
    if (!GetCPInfo(CP_ACP, &page)) return false;
    out.clear();
    out.reserve(text.size() * page.MaxCharSize);
    PreferLargePages(out.data(), out.capacity());
    out.resize(text.size() * page.MaxCharSize);
    BOOL substituted = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                            static_cast<int>(std::min<std::size_t>(out.size(), INT_MAX)), nullptr,
                                            &substituted);
    if (written == 0 || substituted) return false;
    out.resize(static_cast<std::size_t>(written));
    return true;
}

// Where a character stands in the XML text: only character data and attribute
// values may hold a character reference.
class xml_context {
public:
    // Moves past the unit at text[at], which begins markup or ends it.
    void step(std::u16string_view text, std::size_t at) {
        const OLECHAR c = text[at];
        switch (state_) {
            case state::content:
                if (c != u'<') return;
                if (starts(text, at, u"<!--"))
                    enter(state::comment, u"-->");
                else if (starts(text, at, u"<![CDATA["))
                    enter(state::cdata, u"]]>");
                else if (starts(text, at, u"<?"))
                    enter(state::instruction, u"?>");
                else if (starts(text, at, u"<!"))
                    enter(state::declaration, u">");
                else
                    state_ = state::tag;
                return;
            case state::tag:
                if (c == u'"' || c == u'\'') {
                    quote_ = c;
                    state_ = state::value;
                } else if (c == u'>') {
                    state_ = state::content;
                }
                return;
            case state::value:
                if (c == quote_) state_ = state::tag;
                return;
            case state::declaration:
                // An internal subset in brackets may hold '>' of its own.
                if (c == u'[') ++brackets_;
                if (c == u']' && brackets_ > 0) --brackets_;
                if (c == u'>' && brackets_ == 0) state_ = state::content;
                return;
            default:
                // The end sequence is recognised at its last unit; the units
                // before it stand inside the comment, section or instruction.
                if (at + 1 >= end_.size() && text.substr(at + 1 - end_.size(), end_.size()) == end_)
                    state_ = state::content;
                return;
        }
    }

    bool takes_references() const { return state_ == state::content || state_ == state::value; }

private:
    enum class state { content, tag, value, comment, cdata, instruction, declaration };

    static bool starts(std::u16string_view text, std::size_t at, std::u16string_view with) {
        return text.substr(at, with.size()) == with;
    }
    void enter(state next, std::u16string_view end) {
        state_ = next;
        end_ = end;
        brackets_ = 0;
    }

    state state_ = state::content;
    OLECHAR quote_ = u'"';
    std::u16string_view end_;
    int brackets_ = 0;
};

// A character at a time, with the context, for a text in which some
// character does not fit the page.
xml_narrowing narrow_by_character(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    xml_context context;
    char bytes[8];
    for (std::size_t at = 0; at < text.size();) {
        const OLECHAR c = text[at];
        if (c < 0x80) {
            // Every supported page holds ASCII as it is.
            if (c == u'\0') return xml_narrowing::nul_character;
            context.step(text, at);
            out.push_back(static_cast<char>(c));
            ++at;
            continue;
        }
        std::size_t units = 1;
        char32_t character = c;
        if (is_high_surrogate(c) && at + 1 < text.size() && is_low_surrogate(text[at + 1])) {
            units = 2;
            character = 0x10000 + ((char32_t{c} - 0xD800) << 10) + (char32_t{text[at + 1]} - 0xDC00);
        } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
            return xml_narrowing::lone_surrogate;
        }
        BOOL substituted = FALSE;
        const int written = WideCharToMultiByte(CP_ACP, 0, text.data() + at, static_cast<int>(units), bytes,
                                                sizeof bytes, nullptr, &substituted);
        if (written > 0 && !substituted) {
            out.append(bytes, static_cast<std::size_t>(written));
        } else if (context.takes_references()) {
            const int length = std::snprintf(bytes, sizeof bytes, "%X", static_cast<unsigned>(character));
            out.append("&#x").append(bytes, static_cast<std::size_t>(length)).push_back(';');
        } else {
            return xml_narrowing::outside_text;
        }
        at += units;
    }
    return xml_narrowing::converted;
}

}  // namespace

namespace {

constexpr std::size_t kBlock = 16;

// Whether a block holds U+0000 or a surrogate. Counted rather than or-ed,
// and kept rolled: the form that the compiler turns into vector compares
// (unrolled first, at -O3, it stays sixteen scalar ones).
bool holds_special_unit(const OLECHAR* block) noexcept {
    unsigned special = 0;
#pragma GCC unroll 1
    for (int k = 0; k < static_cast<int>(kBlock); ++k) {
        const OLECHAR c = block[k];
        special += static_cast<unsigned>(c == 0) + static_cast<unsigned>((c & 0xF800) == 0xD800);
    }
    return special != 0;
}

}  // namespace

bool IsXmlText(const OLECHAR* text, std::size_t length) noexcept {
    // Units that are neither U+0000 nor a surrogate need no look at their
    // neighbours, so runs of them are passed a block at a time.
    std::size_t at = 0;
    while (at < length) {
        if (length - at >= kBlock && !holds_special_unit(text + at)) {
            at += kBlock;
            continue;
        }
        const OLECHAR c = text[at];
        if (c == u'\0' || is_low_surrogate(c)) return false;
        if (is_high_surrogate(c)) {
            if (at + 1 == length || !is_low_surrogate(text[at + 1])) return false;
            ++at;
        }
        ++at;
    }
    return true;
}

xml_narrowing try_to_ansi_xml(const OLECHAR* text, std::size_t length, std::string& out) {
    const std::u16string_view whole(text, text == nullptr ? 0 : length);
    // Nearly every text fits the page whole; only one that does not is
    // looked at a character at a time.
    if (IsXmlText(whole.data(), whole.size()) && try_narrow_whole(whole, out)) return xml_narrowing::converted;
    return narrow_by_character(whole, out);
}
