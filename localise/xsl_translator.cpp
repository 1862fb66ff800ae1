#include "localise/xsl_translator.h"

#include <algorithm>
#include <iterator>
#include <map>
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

// Replacements that hold tags again can double the text at every step, so a
// resource file of a few lines could ask for gigabytes. A translation that
// grows the text past this (a hundred times a large report template) counts
// as memory run out, before it takes the process's memory and time.
constexpr std::size_t kTranslatedLimit = std::size_t{4} << 20;

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

// The text that replacements put in, each run of it with the tags whose
// replacement it came from: its own tag when the replacement held a caret,
// and the tags of the text the marker stood in. Only such text can bring a
// tag back through its own replacement. Runs are kept sorted and apart, and
// the tag lists are shared, so that a tag whose replacement doubles at each
// step costs a lookup per marker rather than a pass over every earlier run.
class inserted_text {
public:
    // Whether the character at `at` came from tag's own replacement.
    bool descends_from(std::string_view tag, std::size_t at) const {
        const std::size_t list = list_at(at);
        if (list == kNoList) return false;
        const std::vector<std::string>& tags = lists_[list];
        return std::find(tags.begin(), tags.end(), tag) != tags.end();
    }

    // Takes note that the markers at replacedAt (sorted positions of the old
    // text, each markerLength long) became a replacement of replacementLength
    // for tag. The replacement inherits the tags of the text at its marker's
    // first caret, and adds tag when it holds a caret; the rest of the text
    // keeps its tags, and what a run had within a marker goes with the marker.
    void note_replaced(const std::vector<std::size_t>& replacedAt, std::size_t markerLength,
                       std::size_t replacementLength, bool replacementHoldsCaret, std::string_view tag) {
        if (replacedAt.empty() || (runs_.empty() && !replacementHoldsCaret)) return;
        // Where a position outside every marker goes: each marker before it
        // is markerLength long and became replacementLength.
        auto moved = [&](std::size_t position) {
            const auto before = static_cast<std::size_t>(
                std::lower_bound(replacedAt.begin(), replacedAt.end(), position) - replacedAt.begin());
            return position - before * markerLength + before * replacementLength;
        };
        std::vector<tagged_run> runs;
        runs.reserve(runs_.size() + replacedAt.size());
        for (const tagged_run& run : runs_) {
            auto marker = std::lower_bound(replacedAt.begin(), replacedAt.end(),
                                           run.begin < markerLength ? 0 : run.begin - markerLength + 1);
            std::size_t from = run.begin;
            for (; marker != replacedAt.end() && *marker < run.end; ++marker) {
                if (*marker > from) runs.push_back({moved(from), moved(*marker), run.list});
                from = std::max(from, *marker + markerLength);
            }
            if (from < run.end) runs.push_back({moved(from), moved(run.end), run.list});
        }
        std::map<std::size_t, std::size_t> extended;  // a run's list -> that list with tag added
        for (std::size_t index = 0; index < replacedAt.size(); ++index) {
            std::size_t list = list_at(replacedAt[index]);
            if (replacementHoldsCaret) {
                auto [found, added] = extended.try_emplace(list, 0);
                if (added) found->second = extend(list, tag);
                list = found->second;
            }
            if (list == kNoList) continue;
            const std::size_t begin = replacedAt[index] - index * markerLength + index * replacementLength;
            runs.push_back({begin, begin + replacementLength, list});
        }
        std::sort(runs.begin(), runs.end(),
                  [](const tagged_run& left, const tagged_run& right) { return left.begin < right.begin; });
        runs_.clear();
        for (const tagged_run& run : runs) {
            if (run.begin == run.end) continue;
            if (!runs_.empty() && runs_.back().end == run.begin && runs_.back().list == run.list)
                runs_.back().end = run.end;
            else
                runs_.push_back(run);
        }
    }

private:
    static constexpr std::size_t kNoList = static_cast<std::size_t>(-1);

    struct tagged_run {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t list = kNoList;  // into lists_
    };

    std::size_t list_at(std::size_t at) const {
        auto after = std::upper_bound(runs_.begin(), runs_.end(), at,
                                      [](std::size_t position, const tagged_run& run) { return position < run.begin; });
        if (after == runs_.begin()) return kNoList;
        const tagged_run& run = *std::prev(after);
        return at < run.end ? run.list : kNoList;
    }

    std::size_t extend(std::size_t list, std::string_view tag) {
        std::vector<std::string> tags;
        if (list != kNoList) tags = lists_[list];
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.emplace_back(tag);
        lists_.push_back(std::move(tags));
        return lists_.size() - 1;
    }

    std::vector<tagged_run> runs_;
    std::vector<std::vector<std::string>> lists_;
};

// The text with every marker of tag at or after from replaced, left to right
// without overlap, the inserted text not searched; built in one pass. A
// marker that came from the tag's own replacement is kept as it is. Throws
// std::bad_alloc for a text that would grow past kTranslatedLimit.
std::string replace_markers(const std::string& text, std::size_t from, std::string_view tag,
                            std::string_view replacement, inserted_text& inserted, const ansi_scanner& scanner) {
    std::string marker;
    marker.reserve(tag.size() + 2);
    marker.append("^").append(tag).append("^");
    const std::size_t limit = std::max(text.size(), kTranslatedLimit);
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
            if (replaced.size() > limit) throw std::bad_alloc();
            replacedAt.push_back(at);
            copied = at + marker.size();
        }
        at = scanner.find_caret(text, at + marker.size());
    }
    replaced.append(text, copied);
    if (replaced.size() > limit) throw std::bad_alloc();
    inserted.note_replaced(replacedAt, marker.size(), replacement.size(), scanner.find_caret(replacement, 0) != npos,
                           tag);
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
