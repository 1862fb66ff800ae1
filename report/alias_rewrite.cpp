#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/find_text.h"
#include "platform/large_pages.h"
#include "report/report_generator.h"

// The alias rewrite replaces, for each alias field in turn, every copy of its
// span in the whole text. Done literally that is a pass over the text per
// alias, quadratic on a large codeplug. It is done here in the text's
// original coordinates instead: the rewrite only ever turns a blank into the
// substitute, whose characters can neither make nor break a start marker or
// an end tag, so the markers and end tags stay where they were and the text
// at any moment is the original with some blanks substituted. A copy of a
// span begins at a start marker, so the markers are indexed by the current
// text that follows them, at every length a span can have; a span finds its
// copies there instead of trying every marker. The literal version stays in
// the tests as the reference this one must agree with.
namespace {

constexpr std::string_view kStartMarker = "\"Alias\">";
constexpr std::string_view kEndMarker = "</ALIAS";
constexpr std::string_view kSpaceSubstitute = "()?!$%";
constexpr std::size_t kSpanLimit = 30;
constexpr std::size_t kGrowth = kSpaceSubstitute.size() - 1;

std::vector<std::size_t> positions_of(const std::string& text, std::string_view what) {
    std::vector<std::size_t> found;
    for (std::size_t at = FindText(text, what); at != std::string::npos; at = FindText(text, what, at + 1))
        found.push_back(at);
    return found;
}

// The blanks that a copy of a span can reach. A copy begins at a start
// marker and is no longer than the span limit, so only the blanks that lie
// that close after a marker can ever be substituted; the indentation of the
// rest of the text never is.
std::vector<std::size_t> reachable_blanks(const std::string& text, const std::vector<std::size_t>& markers) {
    std::vector<std::size_t> blanks;
    std::size_t scanned = 0;
    for (std::size_t marker : markers) {
        const std::size_t end = std::min(text.size(), marker + kSpanLimit);
        for (std::size_t at = std::max(marker, scanned); at < end; ++at)
            if (text[at] == ' ') blanks.push_back(at);
        scanned = std::max(scanned, end);
    }
    return blanks;
}

// Blanks of the original text substituted so far, counted in a Fenwick tree
// over the reachable blanks' order in the text, so that original and current
// positions convert in log time with memory in proportion to those blanks.
class SubstitutedBlanks {
public:
    SubstitutedBlanks(const std::string& text, const std::vector<std::size_t>& markers)
        : substituted_(text.size(), false), blanks_(reachable_blanks(text, markers)), tree_(blanks_.size() + 1, 0) {}

    bool contains(std::size_t original) const { return substituted_[original]; }

    void add(std::size_t original) {
        if (substituted_[original]) return;
        substituted_[original] = true;
        for (std::size_t node = blanks_before(original) + 1; node < tree_.size(); node += node & (~node + 1))
            ++tree_[node];
    }

    // Where the original position stands in the current text.
    std::size_t current(std::size_t original) const {
        std::size_t count = 0;
        for (std::size_t node = blanks_before(original); node > 0; node -= node & (~node + 1)) count += tree_[node];
        return original + count * kGrowth;
    }

    // The blanks that may have been substituted, in the text's order.
    const std::vector<std::size_t>& reachable() const { return blanks_; }

private:
    std::size_t blanks_before(std::size_t original) const {
        return static_cast<std::size_t>(std::lower_bound(blanks_.begin(), blanks_.end(), original) - blanks_.begin());
    }

    std::vector<bool> substituted_;
    std::vector<std::size_t> blanks_;
    std::vector<std::size_t> tree_;
};

// A text's hash, the same whether taken whole or a character at a time.
class TextHash {
public:
    void add(char c) { value_ = (value_ ^ static_cast<unsigned char>(c)) * 0x100000001b3u; }
    std::uint64_t value() const { return value_; }

private:
    std::uint64_t value_ = 0xcbf29ce484222325u;
};

class AliasRewrite {
public:
    explicit AliasRewrite(const std::string& text)
        : text_(text), markers_(positions_of(text, kStartMarker)), ends_(positions_of(text, kEndMarker)),
          blanks_(text, markers_) {
        // A marker's starts number up to the span limit; most hold a blank
        // only after the first few characters of the alias.
        starts_.reserve(markers_.size() * 16);
        for (std::size_t marker : markers_) index(marker, marker);
    }

    void run() {
        std::size_t start = 0;  // in the current text
        for (;;) {
            auto marker = first_marker_from(start);
            if (marker == markers_.end()) return;
            auto end = std::lower_bound(ends_.begin(), ends_.end(), *marker);
            if (end == ends_.end()) return;
            std::size_t spanStart = blanks_.current(*marker);
            std::size_t spanEnd = blanks_.current(*end);
            if (spanEnd - spanStart <= kSpanLimit) substitute_every_copy(current_text(*marker, *end));
            start = spanEnd;
        }
    }

    std::string result() const {
        std::string out;
        out.reserve(blanks_.current(text_.size()));
        PreferLargePages(out.data(), out.capacity());
        // Only blanks are ever substituted: the text between them is copied whole.
        std::size_t copied = 0;
        for (std::size_t at : blanks_.reachable()) {
            if (!blanks_.contains(at)) continue;
            out.append(text_, copied, at - copied).append(kSpaceSubstitute);
            copied = at + 1;
        }
        return out.append(text_, copied);
    }

private:
    std::vector<std::size_t>::const_iterator first_marker_from(std::size_t start) const {
        return std::partition_point(markers_.begin(), markers_.end(),
                                    [&](std::size_t marker) { return blanks_.current(marker) < start; });
    }

    // The current text between two original positions.
    std::string current_text(std::size_t from, std::size_t to) const {
        std::string out;
        for (std::size_t at = from; at < to; ++at) {
            if (blanks_.contains(at))
                out += kSpaceSubstitute;
            else
                out += text_[at];
        }
        return out;
    }

    // Indexes the starts of the current text at the marker, up to the span
    // limit, that reach the original position `from` and hold a blank: the
    // only starts a span that needs rewriting can equal, and the only ones a
    // blank substituted at `from` has changed.
    void index(std::size_t marker, std::size_t from) {
        TextHash hash;
        std::size_t length = 0;
        bool blank = false;
        for (std::size_t at = marker; at < text_.size() && length < kSpanLimit; ++at) {
            std::string_view characters =
                blanks_.contains(at) ? kSpaceSubstitute : std::string_view(text_).substr(at, 1);
            for (char c : characters.substr(0, kSpanLimit - length)) {
                hash.add(c);
                blank = blank || c == ' ';
                if (blank && at >= from) starts_[hash.value()].push_back(marker);
            }
            length += std::min(characters.size(), kSpanLimit - length);
        }
    }

    // Whether the current text at an original position begins with span; if
    // so, where the copy ends in original positions.
    bool copy_at(std::size_t original, std::string_view span, std::size_t& copyEnd) const {
        std::size_t at = original;
        std::size_t matched = 0;
        while (matched < span.size()) {
            if (at >= text_.size()) return false;
            if (blanks_.contains(at)) {
                // A copy may end inside a substitute: the literal search
                // compares characters, whatever made them.
                std::string_view rest = span.substr(matched, kSpaceSubstitute.size());
                if (kSpaceSubstitute.substr(0, rest.size()) != rest) return false;
                matched += rest.size();
            } else {
                if (span[matched] != text_[at]) return false;
                ++matched;
            }
            ++at;
        }
        copyEnd = at;
        return true;
    }

    // Every copy of the span, left to right without overlap, gets its blanks
    // substituted. The markers indexed under the span's hash are checked
    // against the current text; an entry that no longer matches is stale (a
    // blank of its start has been substituted since) and leaves the index,
    // so each entry is looked at once beyond the copies it gives.
    void substitute_every_copy(const std::string& span) {
        if (span.find(' ') == std::string::npos) return;
        TextHash hash;
        for (char c : span) hash.add(c);
        auto bucket = starts_.find(hash.value());
        if (bucket == starts_.end()) return;
        std::vector<std::size_t>& candidates = bucket->second;
        std::vector<std::pair<std::size_t, std::size_t>> matches;
        for (std::size_t i = 0; i < candidates.size();) {
            std::size_t copyEnd = 0;
            if (copy_at(candidates[i], span, copyEnd)) {
                matches.emplace_back(candidates[i++], copyEnd);
            } else {
                candidates[i] = candidates.back();
                candidates.pop_back();
            }
        }
        std::sort(matches.begin(), matches.end());
        matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
        std::size_t free = 0;
        for (auto [from, to] : matches) {
            if (from < free) continue;
            free = to;
            for (std::size_t at = from; at < to; ++at)
                if (text_[at] == ' ' && !blanks_.contains(at)) substitute(at);
        }
    }

    // Substitutes the blank and indexes the starts it changed: those of the
    // markers close enough before it to reach it.
    void substitute(std::size_t blank) {
        blanks_.add(blank);
        auto first = std::lower_bound(markers_.begin(), markers_.end(), blank >= kSpanLimit ? blank - kSpanLimit : 0);
        for (auto marker = first; marker != markers_.end() && *marker <= blank; ++marker) index(*marker, blank);
    }

    const std::string& text_;
    std::vector<std::size_t> markers_;
    std::vector<std::size_t> ends_;
    SubstitutedBlanks blanks_;
    // Markers by the hash of a start of the current text that follows them.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> starts_;
};

}  // namespace

void RewriteAliases(std::string& text) {
    if (text.find(kStartMarker) == std::string::npos) return;
    AliasRewrite rewrite(text);
    rewrite.run();
    text = rewrite.result();
}

void RemoveAmpersandEntities(std::string& text) {
    constexpr std::string_view escaped = "&amp;";
    // The text between ampersands moves down whole; at each ampersand the
    // "&" stays and an "amp;" right after it goes. The text after it is
    // looked at afresh, so "&amp;amp;" keeps the second "amp;".
    std::size_t kept = 0;
    std::size_t at = 0;
    auto move_down = [&](std::size_t count) {
        std::memmove(text.data() + kept, text.data() + at, count);
        kept += count;
    };
    for (std::size_t ampersand = text.find('&'); ampersand != std::string::npos;
         ampersand = text.find('&', at)) {
        const bool entity = text.compare(ampersand, escaped.size(), escaped) == 0;
        move_down(ampersand + 1 - at);
        at = ampersand + (entity ? escaped.size() : 1);
    }
    move_down(text.size() - at);
    text.resize(kept);
}
