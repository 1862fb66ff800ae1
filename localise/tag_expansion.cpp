#include "localise/tag_expansion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/ansi.h"
#include "report/error_report.h"

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::size_t kTagLength = 4;

constexpr std::string_view kOddCarets = "Uneven number of ^. Bad formatting.\n";
constexpr std::string_view kUnpaired = "Uneven number of carets.  Bad formatting.\n";
constexpr std::string_view kWrongLength = "XSL tag is of wrong length.\n";
constexpr std::string_view kOutOfMemory = "Unable to allocate memory in CXSL::translateXSL \n";
constexpr std::string_view kCameBack = "Resource file or registry error \n";

// Carets are found by characters of the ANSI code page, so that under 932
// the trail byte of "\x81^" is no caret.
std::size_t count_carets(const ansi_characters& characters, std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = characters.find(text, '^', 0); at != npos; at = characters.find(text, '^', at + 1)) ++count;
    return count;
}

// Finds where a marker's bytes stand, left to right. A loop that brings a
// tag back scans its text again at every step, and the text may hold carets
// by the million, so the C library's strstr does the scanning, at memory
// speed. Under AddressSanitizer strstr measures all the text after where it
// starts at every call, so it is given copies of the text a window at a
// time; and it stops at a NUL, so each NUL of a window becomes a byte that
// the marker lacks, which no more than the NUL can stand in a marker. A
// marker that holds a NUL itself is left to std::string::find.
class marker_search {
public:
    // marker is shorter than a window.
    marker_search(const std::string& text, const std::string& marker) : text_(text), marker_(marker) {
        while (marker_.find(static_cast<char>(filler_)) != npos) ++filler_;
    }

    // The first place at or after from.
    std::size_t find(std::size_t from) {
        if (marker_.find('\0') != npos) return text_.find(marker_, from);
        while (marker_.size() <= text_.size() - std::min(from, text_.size())) {
            if (from < windowAt_ || from + marker_.size() > windowAt_ + windowSize_) load(from);
            if (const char* found = std::strstr(window_ + (from - windowAt_), marker_.c_str()))
                return windowAt_ + static_cast<std::size_t>(found - window_);
            if (windowAt_ + windowSize_ == text_.size()) break;
            from = windowAt_ + windowSize_ - (marker_.size() - 1);
        }
        return npos;
    }

private:
    static constexpr std::size_t kWindow = 512;

    void load(std::size_t from) {
        windowAt_ = from;
        windowSize_ = std::min(kWindow, text_.size() - from);
        std::memcpy(window_, text_.data() + from, windowSize_);
        if (std::memchr(window_, '\0', windowSize_)) fill_nuls();
        window_[windowSize_] = '\0';
    }

    // Eight bytes at a time, without a branch for each byte, as a window may
    // be all NULs. In each word, a byte gets its top bit in zeros exactly
    // when it is 0: adding 0x7F to its low seven bits carries into the top
    // bit unless they are 0, and the byte's own top bit is added in by |.
    void fill_nuls() {
        constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;
        for (std::size_t at = 0; at < windowSize_; at += sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, window_ + at, sizeof word);
            const std::uint64_t zeros = ~(((word & kLowBits) + kLowBits) | word | kLowBits);
            word |= (zeros >> 7) * filler_;
            std::memcpy(window_ + at, &word, sizeof word);
        }
    }

    const std::string& text_;
    const std::string& marker_;
    std::uint64_t filler_ = 1;
    std::size_t windowAt_ = npos;
    std::size_t windowSize_ = 0;
    char window_[kWindow + sizeof(std::uint64_t)] = {};
};

enum class tag_search { none, unpaired, wrong_length, found };

// The loop keeps the text as two parts: done_, before the search start,
// holds no caret and never changes again, and rest_, from the search start
// on. What follows depends on rest_ alone, so the loop is a walk from state
// to state, each state a rest_; the search start never moves back. A run is
// the states at one search start. Within a run, Brent's cycle search keeps
// one earlier state (the tortoise) and compares each new one with it. Each
// step builds a new rest_, so the states that must be kept are moved out of
// the old one rather than copied.
class expansion {
public:
    expansion(std::string& text, const tag_lookup& lookup, tag_expansion_limits limits)
        : text_(text), lookup_(lookup), sizeLimit_(text.size() + limits.growth), rescanLimit_(limits.rescans) {}

    ShortStatus run() {
        if (count_carets(characters_, text_) % 2 != 0) {
            AppendReportError(kOddCarets);
            return kShortFormat;
        }
        rest_ = std::move(text_);
        for (bool first = true, advanced = true;; first = false) {
            if (advanced) {
                // The same text at a later search start comes back again and
                // again, each time further on: the text grows without end.
                if (!first && rest_ == (tortoisePending_ ? previous_ : tortoise_))
                    return finish(kShortMemory, kOutOfMemory);
                begin_run();
            } else if (came_back_to_tortoise()) {
                rewind_to_first_return(lambda_);
                return finish(kShortResource, kCameBack);
            }

            std::size_t open = 0;
            std::size_t close = 0;
            switch (find_tag(rest_, open, close)) {
                case tag_search::none:
                    return finish(kShortOk);
                case tag_search::unpaired:
                    return finish(kShortFormat, kUnpaired);
                case tag_search::wrong_length:
                    return finish(kShortTagLength, kWrongLength);
                case tag_search::found:
                    break;
            }
            const std::string_view tag = std::string_view(rest_).substr(open + 1, close - open - 1);
            auto replacement = replacements_.find(tag);
            if (replacement != replacements_.end()) {
                rescanned_ += rest_.size() - open;
                if (rescanned_ > rescanLimit_) {
                    if (const std::optional<std::size_t> lap = lap_length(); lap && rewind_to_first_return(*lap))
                        return finish(kShortResource, kCameBack);
                    return finish(kShortMemory, kOutOfMemory);
                }
            } else {
                std::string tagText(tag);
                std::string text;
                if (const ShortStatus status = lookup_(tagText, text); status != kShortOk) return finish(status);
                replacement = replacements_.emplace(std::move(tagText), std::move(text)).first;
            }

            // previous_ has been kept where needed by now; its buffer takes the next state.
            if (!replace_markers(rest_, open, replacement->first, replacement->second, sizeLimit_ - done_.size() - open,
                                 previous_))
                return finish(kShortMemory, kOutOfMemory);
            advanced = open > 0;
            done_.append(rest_, 0, open);
            if (!advanced) {
                runCost_ += rest_.size();
                runLargest_ = std::max(runLargest_, rest_.size());
                ++runIndex_;
            }
            rest_.swap(previous_);
        }
    }

    // Puts the text back together for the caller.
    void give_back() {
        done_.append(rest_);
        text_ = std::move(done_);
    }

private:
    ShortStatus finish(ShortStatus status, std::string_view line = {}) {
        if (!line.empty()) AppendReportError(line);
        give_back();
        return status;
    }

    void begin_run() {
        runIndex_ = 0;
        runCost_ = 0;
        runLargest_ = 0;
        power_ = 1;
        lambda_ = 1;
        tortoisePending_ = true;
    }

    // Brent's step: the tortoise stays put for power_ states, then jumps to
    // the newest and power_ doubles; a state equal to it ends the search,
    // lambda_ states after it. The tortoise is first the run's first state,
    // which is also kept for rewind_to_first_return.
    bool came_back_to_tortoise() {
        if (runIndex_ == 1)
            runStart_ = std::move(previous_);
        else if (tortoisePending_)
            tortoise_ = std::move(previous_);
        if (rest_ == (runIndex_ == 1 ? runStart_ : tortoise_)) return true;
        tortoisePending_ = power_ == lambda_;
        if (tortoisePending_) {
            power_ *= 2;
            lambda_ = 0;
        }
        ++lambda_;
        return false;
    }

    tag_search find_tag(std::string_view text, std::size_t& open, std::size_t& close) const {
        open = characters_.find(text, '^', 0);
        if (open == npos) return tag_search::none;
        close = characters_.find(text, '^', open + 1);
        if (close == npos) return tag_search::unpaired;
        if (characters_.count(text.substr(open + 1, close - open - 1)) != kTagLength)
            return tag_search::wrong_length;
        return tag_search::found;
    }

    // Puts into replaced the text from open on with every marker of tag
    // replaced, left to right without overlap, the inserted text not
    // searched. False when that would be longer than sizeLimit.
    bool replace_markers(const std::string& text, std::size_t open, std::string_view tag, std::string_view replacement,
                         std::size_t sizeLimit, std::string& replaced) const {
        std::string marker;
        marker.append("^").append(tag).append("^");
        replaced.clear();
        replaced.reserve(text.size() - open);
        marker_search search(text, marker);
        std::size_t copied = open;
        for (std::size_t at = search.find(open); at != npos;) {
            if (!characters_.begins_character(text, open, at)) {
                at = search.find(at + 1);
                continue;
            }
            replaced.append(text, copied, at - copied).append(replacement);
            if (replaced.size() > sizeLimit) return false;
            copied = at + marker.size();
            at = search.find(copied);
        }
        replaced.append(text, copied);
        return replaced.size() <= sizeLimit;
    }

    // The state after state when its step keeps the search start, replaces
    // a tag looked up before and gives a state of at most sizeLimit bytes;
    // false for any other step. scratch takes the state before.
    bool step_within_run(std::string& state, std::string& scratch, std::size_t sizeLimit) const {
        std::size_t open = 0;
        std::size_t close = 0;
        if (find_tag(state, open, close) != tag_search::found || open != 0) return false;
        const auto replacement = replacements_.find(std::string_view(state).substr(1, close - 1));
        if (replacement == replacements_.end() ||
            !replace_markers(state, 0, replacement->first, replacement->second, sizeLimit, scratch))
            return false;
        state.swap(scratch);
        return true;
    }

    // The steps after which the current state comes back, if it does through
    // states no larger, and steps no costlier in all, than the run's so far:
    // a state that came back by now lies on a cycle of states the run has
    // been through, each once a lap.
    std::optional<std::size_t> lap_length() const {
        std::string state = rest_;
        std::string scratch;
        std::size_t cost = 0;
        for (std::size_t length = 1;; ++length) {
            cost += state.size();
            if (cost > runCost_ || !step_within_run(state, scratch, runLargest_)) return std::nullopt;
            if (state == rest_) return length;
        }
    }

    // Whether some state of this run has come back by the current one, given
    // that the states repeat every `lap` steps once they do. If so, rest_
    // becomes the first state that came back, as it stood then.
    bool rewind_to_first_return(std::size_t lap) {
        if (lap > runIndex_) return false;
        std::string earlier = runStart_;
        std::string later = runStart_;
        std::string scratch;
        const std::size_t sizeLimit = sizeLimit_ - done_.size();
        for (std::size_t step = 0; step < lap; ++step)
            if (!step_within_run(later, scratch, sizeLimit)) return false;
        for (std::size_t first = 0;; ++first) {
            if (earlier == later) {
                rest_ = std::move(earlier);
                return true;
            }
            if (first + lap == runIndex_ || !step_within_run(earlier, scratch, sizeLimit) ||
                !step_within_run(later, scratch, sizeLimit))
                return false;
        }
    }

    std::string& text_;
    const tag_lookup& lookup_;
    const ansi_characters characters_;
    const std::size_t sizeLimit_;
    const std::size_t rescanLimit_;
    std::size_t rescanned_ = 0;
    // Each tag's escaped text, looked up the first time the tag is found.
    std::map<std::string, std::string, std::less<>> replacements_;

    std::string done_;
    std::string rest_;
    std::string previous_;  // the state before rest_

    std::size_t runIndex_ = 0;    // of rest_ among the run's states
    std::size_t runCost_ = 0;     // the sizes of the run's states before rest_
    std::size_t runLargest_ = 0;  // and the largest of them
    std::string runStart_;        // the run's first state, from its second on
    std::string tortoise_;
    bool tortoisePending_ = false;  // the tortoise is previous_, not yet moved to tortoise_
    std::size_t power_ = 1;
    std::size_t lambda_ = 1;
};

}  // namespace

ShortStatus ExpandTags(std::string& text, const tag_lookup& lookup, tag_expansion_limits limits) {
    expansion loop(text, lookup, limits);
    try {
        return loop.run();
    } catch (const std::bad_alloc&) {
        AppendReportError(kOutOfMemory);
        return kShortMemory;
    } catch (...) {
        loop.give_back();
        throw;
    }
}
