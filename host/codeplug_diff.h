#pragma once

// Every difference between two codeplugs at field level, block by block in
// the layout's order: within a block its info part first, then its items in
// the order of the two sequences, and within a changed list item its info
// part, then its members.
//
// Items are lined up as sequences (item_alignment.h), so that a channel
// inserted into the list is one insertion. A removed item next to an inserted
// one is reported as the change of the fields in which they differ when the
// two are similar:
//
// - two entries (a channel, a zone or scan-list member, the one item of a
//   settings block) when they name the same fields in the same order and at
//   most half of those fields differ in value or type code;
// - two list items (a zone, a scan list) when their info parts are similar
//   so, or their members are equal.
//
// Rows are matched by field id: rows that name the same fields in the same
// order are compared one by one, other rows as sequences of field ids (dtl),
// so that a field on one side only is an added or a removed field. A change
// of the type code alone is a change.
//
// A block that a codeplug lacks compares as an empty block of its kind; both
// readers of codeplugs give every block of the layout.
//
// Cost: linear in the fields of the two codeplugs for a bounded number of
// differences; each item is hashed once.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "host/codeplug_model.h"

enum class change_kind { field_changed, field_added, field_removed, item_inserted, item_removed };

// One codeplug's side of an item: where it stands, from 0, and what it
// holds: `entry` for an ENTRY block's item or a list item's member, `list`
// for a LIST block's item.
struct item_side {
    std::size_t position = 0;
    const TypeRows* entry = nullptr;
    const EntryBlock* list = nullptr;
};

// An item in the two codeplugs: an inserted item has no side before, a
// removed one none after.
struct item_place {
    std::optional<item_side> before;
    std::optional<item_side> after;
};

struct difference {
    change_kind kind;
    // The block's field id.
    LONG block;
    // The item of an ENTRY or LIST block; none for the rows of a TYPE block
    // and for the info part of an ENTRY or LIST block.
    std::optional<item_place> item;
    // The member of a list item; none for a list item's info part and for
    // every other place.
    std::optional<item_place> member;
    // The field's row in each codeplug: both for a changed field, `after`
    // alone for an added one, `before` alone for a removed one; neither for
    // an inserted or removed item.
    const FieldRow* before = nullptr;
    const FieldRow* after = nullptr;
};

// The differences that turn `before` into `after`; none when they are
// equal. The result points into both codeplugs, which must outlive it.
// Throws std::invalid_argument for a block of another kind than the layout
// gives its id, and std::bad_alloc.
std::vector<difference> DiffCodeplugs(const Codeplug& before, const Codeplug& after);

// The name that an item gives itself: a list item's PA_ZONEALIAS or ALIAS
// in its info part, an entry's ALIAS; nothing when it has none.
std::optional<std::u16string_view> ItemAlias(const item_side& item) noexcept;
