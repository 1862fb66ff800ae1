#pragma once

// The reference for ExpandTags (localise/tag_expansion.h): the template
// translator's loop done literally, step by step as the template format
// defines it, characters found with IsDBCSLeadByte and CharNextA, the whole
// text searched from its start every time: slow, and plainly right. Where the
// literal loop would not end it stops as ExpandTags must: past the growth
// limit (checked after each replacement) or the rescan limit with the memory
// line, and at the first state that comes back (the search start with the
// text from it on, each kept since the search start last moved) with the
// registry line. The tests and the xsl_template fuzzer hold ExpandTags
// against it.

#include <set>
#include <string>

#include "localise/tag_expansion.h"
#include "platform/codepage.h"
#include "report/error_report.h"

namespace literal_translation {

// CharNextA stops at a NUL, which in a std::string is a character of its own.
inline std::size_t NextCharacter(const std::string& text, std::size_t at) {
    if (text[at] == '\0') return at + 1;
    return static_cast<std::size_t>(CharNextA(text.c_str() + at) - text.c_str());
}

inline std::size_t FindCaret(const std::string& text, std::size_t from) {
    for (std::size_t at = 0; at < text.size(); at = NextCharacter(text, at))
        if (at >= from && text[at] == '^') return at;
    return std::string::npos;
}

inline std::size_t CountCarets(const std::string& text) {
    std::size_t carets = 0;
    for (std::size_t at = 0; at < text.size(); at = NextCharacter(text, at)) carets += text[at] == '^' ? 1 : 0;
    return carets;
}

inline std::size_t CountCharacters(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); at = NextCharacter(text, at)) ++characters;
    return characters;
}

inline std::string ReplaceAll(const std::string& text, const std::string& marker, const std::string& replacement) {
    std::string replaced;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, marker.size(), marker) == 0) {
            replaced += replacement;
            at += marker.size();
        } else {
            const std::size_t next = NextCharacter(text, at);
            replaced.append(text, at, next - at);
            at = next;
        }
    }
    return replaced;
}

}  // namespace literal_translation

inline ShortStatus LiteralTranslation(std::string& text, const tag_lookup& lookup, tag_expansion_limits limits) {
    using namespace literal_translation;
    const std::size_t sizeLimit = text.size() + limits.growth;
    if (CountCarets(text) % 2 != 0) {
        AppendReportError("Uneven number of ^. Bad formatting.\n");
        return kShortFormat;
    }
    std::size_t start = 0;
    std::size_t rescanned = 0;
    std::set<std::string> replacedTags;
    std::set<std::string> seenSinceStartMoved;
    for (;;) {
        if (!seenSinceStartMoved.insert(text.substr(start)).second) {
            AppendReportError("Resource file or registry error \n");
            return kShortResource;
        }
        const std::size_t open = FindCaret(text, start);
        if (open == std::string::npos) return kShortOk;
        const std::size_t close = FindCaret(text, open + 1);
        if (close == std::string::npos) {
            AppendReportError("Uneven number of carets.  Bad formatting.\n");
            return kShortFormat;
        }
        const std::string tag = text.substr(open + 1, close - open - 1);
        if (CountCharacters(tag) != 4) {
            AppendReportError("XSL tag is of wrong length.\n");
            return kShortTagLength;
        }
        if (replacedTags.count(tag) != 0) {
            rescanned += text.size() - open;
            if (rescanned > limits.rescans) {
                AppendReportError("Unable to allocate memory in CXSL::translateXSL \n");
                return kShortMemory;
            }
        }
        std::string replacement;
        if (const ShortStatus status = lookup(tag, replacement); status != kShortOk) return status;
        text = ReplaceAll(text, "^" + tag + "^", replacement);
        if (text.size() > sizeLimit) {
            AppendReportError("Unable to allocate memory in CXSL::translateXSL \n");
            return kShortMemory;
        }
        replacedTags.insert(tag);
        if (open != start) seenSinceStartMoved.clear();
        start = open;
    }
}
