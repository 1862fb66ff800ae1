#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_generator.h"

// The alias rewrite replaces, for each alias field in turn, every copy of its
// span in the whole text. Done literally that is a pass over the text per
// alias, quadratic on a large codeplug. It is done here in the text's
// original coordinates instead: the rewrite only ever turns a blank into the
// substitute, whose characters can neither make nor break a start marker or
// an end tag, so the markers and end tags stay where they were and the text
// at any moment is the original with some blanks substituted. The literal
// version stays in the tests as the reference this one must agree with.
namespace {

constexpr std::string_view kStartMarker = "\"Alias\">";
constexpr std::string_view kEndMarker = "</ALIAS";
constexpr std::string_view kSpaceSubstitute = "()?!$%";
constexpr std::size_t kSpanLimit = 30;
constexpr std::size_t kGrowth = kSpaceSubstitute.size() - 1;

std::vector<std::size_t> positions_of(const std::string& text, std::string_view what) {
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) found.push_back(at);
    return found;
}

// Blanks of the original text substituted so far, with prefix counts kept in
// a Fenwick tree so that original and current positions convert in log time.
class SubstitutedBlanks {
public:
    explicit SubstitutedBlanks(std::size_t size) : substituted_(size, false), tree_(size + 1, 0) {}

    bool contains(std::size_t original) const { return substituted_[original]; }

    void add(std::size_t original) {
        if (substituted_[original]) return;
        substituted_[original] = true;
        for (std::size_t node = original + 1; node < tree_.size(); node += node & (~node + 1)) ++tree_[node];
    }

    // Where the original position stands in the current text.
    std::size_t current(std::size_t original) const {
        std::size_t count = 0;
        for (std::size_t node = original; node > 0; node -= node & (~node + 1)) count += tree_[node];
        return original + count * kGrowth;
    }

private:
    std::vector<bool> substituted_;
    std::vector<std::size_t> tree_;
};

class AliasRewrite {
public:
    explicit AliasRewrite(const std::string& text)
        : text_(text), markers_(positions_of(text, kStartMarker)), ends_(positions_of(text, kEndMarker)),
          blanks_(text.size()) {}

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
        for (std::size_t at = 0; at < text_.size(); ++at) {
            if (blanks_.contains(at))
                out += kSpaceSubstitute;
            else
                out += text_[at];
        }
        return out;
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
    // substituted. A copy begins with the start marker, so only the markers
    // need looking at.
    void substitute_every_copy(const std::string& span) {
        if (span.find(' ') == std::string::npos) return;
        std::vector<std::pair<std::size_t, std::size_t>> copies;
        std::size_t free = 0;
        for (std::size_t marker : markers_) {
            std::size_t copyEnd = 0;
            if (marker >= free && copy_at(marker, span, copyEnd)) {
                copies.emplace_back(marker, copyEnd);
                free = copyEnd;
            }
        }
        for (auto [from, to] : copies)
            for (std::size_t at = from; at < to; ++at)
                if (text_[at] == ' ' && !blanks_.contains(at)) blanks_.add(at);
    }

    const std::string& text_;
    std::vector<std::size_t> markers_;
    std::vector<std::size_t> ends_;
    SubstitutedBlanks blanks_;
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
    std::size_t kept = 0;
    for (std::size_t at = 0; at < text.size();) {
        // The ampersand stays and its "amp;" goes; the text after it is
        // looked at afresh, so "&amp;amp;" keeps the second "amp;".
        const bool entity = text.compare(at, escaped.size(), escaped) == 0;
        text[kept++] = text[at];
        at += entity ? escaped.size() : 1;
    }
    text.resize(kept);
}
