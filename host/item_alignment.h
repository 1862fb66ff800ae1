#pragma once

// Lines up the items of two sequences (the channels of two codeplugs, the
// members of two zones) the way a person reads a change: an item inserted
// into the list is one insertion, not a change of every item after it, and a
// removed item next to an inserted one that resembles it is that item,
// changed.
//
// 1. The sequences are compared as sequences of item hashes by dtl (the
//    O(NP) algorithm of Wu, Manber and Myers), after the common start and
//    end are set aside, so that a few differences cost a walk over the items.
//    Items that dtl keeps in common are compared whole, so that two items
//    whose hashes collide are reported as a pair, never as equal.
// 2. Each run of removed and inserted items between two common ones is
//    paired: as many similar pairs as can be kept in order, and among such
//    pairings the one whose pairs differ least. `distance` says whether two
//    items are similar and by how much they differ. A run of more than
//    kMostPairingsWeighed possible pairs is paired position by position
//    instead: the k-th removed item with the k-th inserted one, when similar.
//
// The steps come in the order of the sequences: within a run, each pair
// after the unpaired removed and inserted items before it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct alignment_step {
    enum class kind { removed, inserted, paired };
    kind what;
    // Positions from 0: `before` for removed and paired items, `after` for
    // inserted and paired ones; the other is 0.
    std::size_t before;
    std::size_t after;

    bool operator==(const alignment_step&) const = default;
};

// Beyond this many possible pairs in one run, pairs are made by position.
constexpr std::size_t kMostPairingsWeighed = 256 * 256;

struct alignment_input {
    // One hash for each item of either sequence; equal items hash equal.
    std::span<const std::uint64_t> beforeHashes;
    std::span<const std::uint64_t> afterHashes;
    // Whether item `before` of the first sequence equals item `after` of the
    // second.
    std::function<bool(std::size_t before, std::size_t after)> equal;
    // How much two unequal items differ when they are similar enough to be
    // one item changed; nothing when they are not.
    std::function<std::optional<std::size_t>(std::size_t before, std::size_t after)> distance;
};

// Every item that is not in both sequences unchanged, as a step. Throws
// std::bad_alloc.
std::vector<alignment_step> AlignItems(const alignment_input& input);
