#include "localise/xsl_translator.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <string_view>
#include <vector>

#include "localise/installation_settings.h"
#include "localise/resource_table.h"
#include "platform/ansi.h"
#include "platform/codepage.h"
#include "platform/unique_variant.h"
#include "report/error_report.h"

namespace {

constexpr std::size_t npos = std::string::npos;

constexpr std::string_view kDealerLeftTag = "0002";
constexpr std::string_view kDealerMiddleTag = "0004";
constexpr std::string_view kDealerRightTag = "0003";

constexpr std::string_view kAmpersand = "&";
constexpr std::string_view kLessThan = "<";
constexpr std::string_view kLineFeed = "\n";
constexpr std::string_view kEscapedAmpersand = "&amp;";
constexpr std::string_view kEscapedLessThan = "&lt;";
constexpr std::string_view kEscapedLineFeed = "&lt;br />";

constexpr std::size_t kTagLength = 4;

struct dealer_block {
    std::string_view tag;
    DWORD (*read)(VARIANT* result);
    std::string_view failure;
};

// In the order in which a tag is tested against them.
constexpr dealer_block kDealerBlocks[] = {
    {kDealerLeftTag, GetDealerInfoLeft, "DealerInfoLeft is bad\n"},
    {kDealerMiddleTag, GetDealerInfoMiddle, "DealerInfoMiddle is bad\n"},
    {kDealerRightTag, GetDealerInfoRight, "DealerInfoRight is bad\n"},
};

// Searches for carets and counts characters in the ANSI code page, stepping
// over double-byte characters whole, so that under 932 the trail byte of
// "\x81^" is no caret. The lead bytes are looked up once per translation.
class ansi_scanner {
public:
    ansi_scanner() {
        for (unsigned byte = 0; byte < 256; ++byte) lead_[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    }

    // The first caret at or after from, which must begin a character. A '^'
    // byte is the trail of a double-byte character exactly when an odd run of
    // lead bytes stands right before it: the byte before the run ends a
    // character, and within the run each byte leads the next. Looking back no
    // further than from keeps the search linear.
    std::size_t find_caret(std::string_view text, std::size_t from) const {
        for (std::size_t at = text.find('^', from); at != npos; at = text.find('^', at + 1)) {
            std::size_t leads = 0;
            while (at - leads > from && is_lead(text[at - leads - 1])) ++leads;
            if (leads % 2 == 0) return at;
        }
        return npos;
    }

    std::size_t count_carets(std::string_view text) const {
        std::size_t count = 0;
        for (std::size_t at = find_caret(text, 0); at != npos; at = find_caret(text, at + 1)) ++count;
        return count;
    }

    // Steps as CharNextA does: a lead byte takes the next byte with it unless
    // that is a NUL.
    std::size_t count_characters(std::string_view text) const {
        std::size_t count = 0;
        for (std::size_t at = 0; at < text.size(); ++count) {
            const bool pair = is_lead(text[at]) && at + 1 < text.size() && text[at + 1] != '\0';
            at += pair ? 2 : 1;
        }
        return count;
    }

private:
    bool is_lead(char byte) const { return lead_[static_cast<unsigned char>(byte)]; }

    bool lead_[256];
};

// The text that replacements put in and that holds a caret, each stretch
// with the tags whose replacement it came from (its own and those of the
// stretches it was put into). Only such text can bring a tag back through
// its own replacement; without any, nothing is tracked.
class inserted_text {
public:
    // Whether the character at `at` came from tag's own replacement.
    bool descends_from(std::string_view tag, std::size_t at) const {
        return std::any_of(stretches_.begin(), stretches_.end(), [&](const inserted_stretch& stretch) {
            return stretch.begin <= at && at < stretch.end &&
                   std::find(stretch.tags.begin(), stretch.tags.end(), tag) != stretch.tags.end();
        });
    }

    // Takes note that the markers at replacedAt (sorted positions of the old
    // text, each markerLength long) became replacement, for tag.
    void note_replaced(const std::vector<std::size_t>& replacedAt, std::size_t markerLength,
                       std::string_view replacement, std::string_view tag, const ansi_scanner& scanner) {
        const bool holdsCaret = scanner.find_caret(replacement, 0) != npos;
        if (replacedAt.empty() || (stretches_.empty() && !holdsCaret)) return;
        std::vector<inserted_stretch> added;
        if (holdsCaret) {
            for (std::size_t index = 0; index < replacedAt.size(); ++index) {
                inserted_stretch stretch;
                stretch.tags = tags_at(replacedAt[index]);
                stretch.tags.emplace_back(tag);
                stretch.begin = replacedAt[index] - index * markerLength + index * replacement.size();
                stretch.end = stretch.begin + replacement.size();
                added.push_back(std::move(stretch));
            }
        }
        auto moved = [&](std::size_t position) {
            const auto before = static_cast<std::size_t>(
                std::lower_bound(replacedAt.begin(), replacedAt.end(), position) - replacedAt.begin());
            if (before == 0) return position;
            // A position inside a replaced marker moves to the end of its
            // replacement: the marker's caret decides where the text belongs.
            const std::size_t old = std::max(position, replacedAt[before - 1] + markerLength);
            return old - before * markerLength + before * replacement.size();
        };
        for (inserted_stretch& stretch : stretches_) {
            stretch.begin = moved(stretch.begin);
            stretch.end = moved(stretch.end);
        }
        std::erase_if(stretches_, [](const inserted_stretch& stretch) { return stretch.begin >= stretch.end; });
        std::move(added.begin(), added.end(), std::back_inserter(stretches_));
    }

    // Text before start is never searched again.
    void forget_before(std::size_t start) {
        std::erase_if(stretches_, [&](const inserted_stretch& stretch) { return stretch.end <= start; });
    }

private:
    struct inserted_stretch {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::vector<std::string> tags;
    };

    std::vector<std::string> tags_at(std::size_t at) const {
        std::vector<std::string> tags;
        for (const inserted_stretch& stretch : stretches_) {
            if (at < stretch.begin || stretch.end <= at) continue;
            for (const std::string& tag : stretch.tags)
                if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
        }
        return tags;
    }

    std::vector<inserted_stretch> stretches_;
};

// The text with every marker of tag at or after from replaced, left to right
// without overlap, the inserted text not searched; built in one pass. A
// marker that came from the tag's own replacement is kept as it is.
std::string replace_markers(const std::string& text, std::size_t from, std::string_view tag,
                            std::string_view replacement, inserted_text& inserted, const ansi_scanner& scanner) {
    std::string marker;
    marker.reserve(tag.size() + 2);
    marker.append("^").append(tag).append("^");
    std::string replaced;
    replaced.reserve(text.size());
    std::vector<std::size_t> replacedAt;
    std::size_t copied = 0;
    for (std::size_t at = scanner.find_caret(text, from); at != npos;) {
        if (text.compare(at, marker.size(), marker) != 0) {
            at = scanner.find_caret(text, at + 1);
            continue;
        }
        if (!inserted.descends_from(tag, at)) {
            replaced.append(text, copied, at - copied).append(replacement);
            replacedAt.push_back(at);
            copied = at + marker.size();
        }
        at = scanner.find_caret(text, at + marker.size());
    }
    replaced.append(text, copied);
    inserted.note_replaced(replacedAt, marker.size(), replacement, tag, scanner);
    return replaced;
}

// The unescaped text that replaces tag, or a failure with its line appended.
ShortStatus try_look_up(const std::string& tag, const CReader& resources, std::string& text) {
    for (const dealer_block& dealer : kDealerBlocks) {
        if (tag != dealer.tag) continue;
        unique_variant block;
        if (const DWORD code = dealer.read(block.put()); code != 0) {
            AppendReportError(dealer.failure);
            return code;
        }
        text = block.vt() == VT_BSTR ? to_ansi(block.get()->bstrVal) : std::string();
        return kShortOk;
    }
    if (resources.getString(tag, text) != kShortOk) {
        AppendReportError("Can not find resource %s. \n", tag);
        return kShortResource;
    }
    return kShortOk;
}

}  // namespace

ShortStatus CXSL::init(const char* text) {
    try {
        text_ = text ? text : "";
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::init \n");
        return kShortMemory;
    }
    return kShortOk;
}

// Cycles end: a marker brought back by its own tag's replacement is kept and skipped (CXSLTranslateXSL Cycle* cases).
ShortStatus CXSL::translateXSL(std::string resourcePath) {
    try {
        CReader resources;
        if (const ShortStatus status = resources.readFile(resourcePath); status != kShortOk) return status;
        const ansi_scanner scanner;
        if (scanner.count_carets(text_) % 2 != 0) {
            AppendReportError("Uneven number of ^. Bad formatting.\n");
            return kShortFormat;
        }
        inserted_text inserted;
        std::size_t start = 0;
        for (;;) {
            const std::size_t open = scanner.find_caret(text_, start);
            if (open == npos) return kShortOk;
            const std::size_t close = scanner.find_caret(text_, open + 1);
            if (close == npos) {
                AppendReportError("Uneven number of carets.  Bad formatting.\n");
                return kShortFormat;
            }
            const std::string tag = text_.substr(open + 1, close - open - 1);
            if (scanner.count_characters(tag) != kTagLength) {
                AppendReportError("XSL tag is of wrong length.\n");
                return kShortTagLength;
            }
            inserted.forget_before(open);
            if (inserted.descends_from(tag, open)) {
                start = close + 1;
                continue;
            }
            std::string text;
            if (const ShortStatus status = try_look_up(tag, resources, text); status != kShortOk) return status;
            text_ = replace_markers(text_, open, tag, processString(text), inserted, scanner);
            start = open;
        }
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::translateXSL \n");
        return kShortMemory;
    } catch (...) {
        AppendReportError("Resource file or registry error \n");
        return kShortResource;
    }
}

std::string CXSL::processString(const std::string& text) {
    try {
        std::string escaped;
        escaped.reserve(text.size());
        // One pass gives what the three passes in turn would: the entities
        // written for "<" and line feeds are never looked at again.
        for (const char character : text) {
            if (character == kAmpersand[0])
                escaped.append(kEscapedAmpersand);
            else if (character == kLessThan[0])
                escaped.append(kEscapedLessThan);
            else if (character == kLineFeed[0])
                escaped.append(kEscapedLineFeed);
            else
                escaped.push_back(character);
        }
        return escaped;
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::processString.\n");
        return {};
    }
}
