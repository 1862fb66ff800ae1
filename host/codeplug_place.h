#pragma once

// A place in a codeplug that holds rows, and how people call it: a block,
// and in it an item of an ENTRY block, or an item of a LIST block (a zone, a
// scan list) and one of its members. Positions count from 0 here and from 1
// where people read them: "channel 8", "zone 2 member 5".

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "host/codeplug_model.h"

struct RowsPlace {
    LONG block = 0;
    // The item of a LIST block; nothing in an ENTRY or TYPE block.
    std::optional<std::size_t> list;
    // The item of an ENTRY block, or the member of the LIST block's item;
    // nothing for info rows (and a TYPE block's rows).
    std::optional<std::size_t> item;

    bool operator==(const RowsPlace&) const = default;
};

// The rows at the place; null when the codeplug has none there.
const TypeRows* RowsAt(const Codeplug& codeplug, const RowsPlace& place) noexcept;

// The alias that rows hold: their first ALIAS or PA_ZONEALIAS row; null
// when they hold neither.
const std::u16string* AliasOf(const TypeRows& rows) noexcept;

// Calls `visit` for the rows of every place of the codeplug, in the
// layout's order of blocks (blocks that it does not have are left out), and
// in a block the info rows before each item, a LIST item's info rows before
// its members.
void ForEachRows(const Codeplug& codeplug, const std::function<void(const RowsPlace&, const TypeRows&)>& visit);

// Where the block stands in the layout's walk, RRO's blocks first; blocks
// that the layout does not have come after all of them.
std::size_t LayoutPosition(LONG block) noexcept;

// The place as a technician reads it, with the aliases that the codeplug
// holds there: "channel 8 "Fire Tac 2"", "zone 2 "Zone South" member 5
// "EMS South"", "scan list 1 "Scan North"", "item 2" in other blocks; empty
// for info rows. A line break or other control character in an alias shows
// escaped ("\n"), so that the description stays on one line.
std::string DescribePlace(const Codeplug& codeplug, const RowsPlace& place);

// The UTF-8 text of a value for a line of output: control characters
// escaped as above, a lone surrogate as U+FFFD.
std::string OneLineText(const std::u16string& value);

// The same between double quotes: "\"Fire 1\"".
std::string QuotedText(const std::u16string& value);

// "channel 12 \"Fire 1\"": the noun, a position from 1, and the alias of the
// rows when they hold one; rows may be null.
std::string NumberedItem(const char* noun, std::size_t index, const TypeRows* rows);

// The UTF-8 text of a value, a lone surrogate as U+FFFD.
std::string Utf8Text(const std::u16string& value);
