#include "host/item_alignment.h"

#include <algorithm>
#include <dtl/dtl.hpp>
#include <limits>

namespace {

using step = alignment_step;

// A run of removed and inserted items between two common ones, as positions
// in the two sequences.
struct run {
    std::vector<std::size_t> removed;
    std::vector<std::size_t> inserted;
};

class aligner {
public:
    explicit aligner(const alignment_input& input) : input_(input) {}

    std::vector<step> align() {
        const std::size_t beforeCount = input_.beforeHashes.size();
        const std::size_t afterCount = input_.afterHashes.size();
        std::size_t start = 0;
        for (; start < beforeCount && start < afterCount; ++start) {
            if (input_.beforeHashes[start] != input_.afterHashes[start]) break;
            common(start, start);
        }
        std::size_t end = 0;
        while (end < beforeCount - start && end < afterCount - start &&
               input_.beforeHashes[beforeCount - 1 - end] == input_.afterHashes[afterCount - 1 - end])
            ++end;

        compare_middle(start, beforeCount - end, afterCount - end);
        for (std::size_t k = end; k > 0; --k) common(beforeCount - k, afterCount - k);
        return std::move(steps_);
    }

private:
    // dtl on the hashes from `start` to the ends given.
    void compare_middle(std::size_t start, std::size_t beforeEnd, std::size_t afterEnd) {
        if (start == beforeEnd || start == afterEnd) {
            for (std::size_t i = start; i < beforeEnd; ++i) pending_.removed.push_back(i);
            for (std::size_t j = start; j < afterEnd; ++j) pending_.inserted.push_back(j);
            flush();
            return;
        }
        const std::vector<std::uint64_t> before(input_.beforeHashes.begin() + start,
                                                input_.beforeHashes.begin() + beforeEnd);
        const std::vector<std::uint64_t> after(input_.afterHashes.begin() + start,
                                               input_.afterHashes.begin() + afterEnd);
        dtl::Diff<std::uint64_t> diff(before, after);
        diff.compose();
        // dtl numbers the elements of each sequence from 1.
        for (const auto& [hash, info] : diff.getSes().getSequence()) {
            switch (info.type) {
                case dtl::SES_DELETE:
                    pending_.removed.push_back(start + static_cast<std::size_t>(info.beforeIdx) - 1);
                    break;
                case dtl::SES_ADD:
                    pending_.inserted.push_back(start + static_cast<std::size_t>(info.afterIdx) - 1);
                    break;
                default:
                    common(start + static_cast<std::size_t>(info.beforeIdx) - 1,
                           start + static_cast<std::size_t>(info.afterIdx) - 1);
            }
        }
        flush();
    }

    // Items with equal hashes: unequal ones are a pair of their own.
    void common(std::size_t before, std::size_t after) {
        flush();
        if (!input_.equal(before, after)) steps_.push_back({step::kind::paired, before, after});
    }

    void flush() {
        if (pending_.removed.empty() || pending_.inserted.empty())
            emit_unpaired(pending_.removed.size(), pending_.inserted.size());
        else if (pending_.removed.size() * pending_.inserted.size() > kMostPairingsWeighed)
            pair_by_position();
        else
            pair_by_weight();
        pending_.removed.clear();
        pending_.inserted.clear();
        removedDone_ = insertedDone_ = 0;
    }

    // The pending items up to, not including, the given counts of each.
    void emit_unpaired(std::size_t removedEnd, std::size_t insertedEnd) {
        for (; removedDone_ < removedEnd; ++removedDone_)
            steps_.push_back({step::kind::removed, pending_.removed[removedDone_], 0});
        for (; insertedDone_ < insertedEnd; ++insertedDone_)
            steps_.push_back({step::kind::inserted, 0, pending_.inserted[insertedDone_]});
    }

    void emit_pair(std::size_t i, std::size_t j) {
        emit_unpaired(i, j);
        steps_.push_back({step::kind::paired, pending_.removed[i], pending_.inserted[j]});
        removedDone_ = i + 1;
        insertedDone_ = j + 1;
    }

    void pair_by_position() {
        const std::size_t count = std::min(pending_.removed.size(), pending_.inserted.size());
        for (std::size_t k = 0; k < count; ++k)
            if (input_.distance(pending_.removed[k], pending_.inserted[k])) emit_pair(k, k);
        emit_unpaired(pending_.removed.size(), pending_.inserted.size());
    }

    // The best pairing of what follows removed item i and inserted item j:
    // the most pairs, then the least distance; filled from the ends.
    struct score {
        std::size_t pairs = 0;
        std::size_t distance = 0;
        bool operator>(const score& other) const {
            return pairs != other.pairs ? pairs > other.pairs : distance < other.distance;
        }
    };
    enum class choice : unsigned char { skip_removed, skip_inserted, pair };

    void pair_by_weight() {
        const std::size_t rows = pending_.removed.size();
        const std::size_t columns = pending_.inserted.size();
        const std::size_t width = columns + 1;
        std::vector<score> best((rows + 1) * width);
        std::vector<choice> chosen((rows + 1) * width, choice::skip_removed);
        for (std::size_t i = rows + 1; i-- > 0;) {
            for (std::size_t j = columns + 1; j-- > 0;) {
                if (i == rows || j == columns) continue;
                score here = best[(i + 1) * width + j];
                choice made = choice::skip_removed;
                if (best[i * width + j + 1] > here) here = best[i * width + j + 1], made = choice::skip_inserted;
                if (std::optional<std::size_t> apart = input_.distance(pending_.removed[i], pending_.inserted[j])) {
                    score paired = best[(i + 1) * width + j + 1];
                    ++paired.pairs;
                    paired.distance += *apart;
                    if (paired > here) here = paired, made = choice::pair;
                }
                best[i * width + j] = here;
                chosen[i * width + j] = made;
            }
        }
        for (std::size_t i = 0, j = 0; i < rows && j < columns;) {
            switch (chosen[i * width + j]) {
                case choice::pair:
                    emit_pair(i++, j++);
                    break;
                case choice::skip_inserted:
                    ++j;
                    break;
                case choice::skip_removed:
                    ++i;
                    break;
            }
        }
        emit_unpaired(rows, columns);
    }

    const alignment_input& input_;
    std::vector<step> steps_;
    run pending_;
    std::size_t removedDone_ = 0;
    std::size_t insertedDone_ = 0;
};

}  // namespace

std::vector<alignment_step> AlignItems(const alignment_input& input) { return aligner(input).align(); }
