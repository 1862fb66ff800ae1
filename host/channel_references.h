#pragma once

// The fields outside the channel list that name a channel by its index among
// CP_BLOCK's items (counted from 0), and those that state how many channels
// there are. `xmlxsl channels import` renumbers them when channels are
// added, removed or moved, and `xmlxsl check` finds those that name no
// channel: both walk this one table.
//
// A personality is what a position of a zone or scan list selects; type 0
// is a conventional channel of CP_BLOCK, and the other types index other
// lists (the LTR personalities), so their index is no channel's. A row
// whose type field is missing is taken for a channel, the usual member.
// Not in the table: the last zone and channel (DR_LASTZONE, DR_LASTCH) and
// the home revert zone and channel (RC_HOMEREVZONE, RC_HOMEREVCH) count a
// zone and a position in it, which stay with the zone whatever happens to
// the channel list; a channel's scan list (CP_SCANLISTINDEX) names a scan
// list and moves with its channel.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "host/codeplug_model.h"
#include "host/codeplug_place.h"

enum class channel_reference_kind {
    index,  // the value is a channel's index
    count,  // the value is the number of channels
};

// Which rows of its block hold a reference.
enum class block_rows {
    info,        // a TYPE block's rows, or an ENTRY or LIST block's info part
    list_info,   // the info part of each item of a LIST block
    list_items,  // each member of each item of a LIST block
};

struct ChannelReference {
    LONG block;
    block_rows rows;
    LONG field;
    channel_reference_kind kind;
    // When not 0: the field names a channel only while the same rows hold
    // this field with the value `channelType`, or do not hold it at all.
    LONG typeField;
    std::u16string_view channelType;
    // What holds the reference, for messages: "zone member".
    std::string_view holder;
};

// In the layout's block order.
std::span<const ChannelReference> ChannelReferences() noexcept;

struct FoundChannelReference {
    const ChannelReference& reference;
    RowsPlace place;
    // The row whose value names a channel or counts them.
    const FieldRow& row;
};

// Calls `visit` for every row of the codeplug that names a channel or counts
// them, as the table says, block by block in its order.
void ForEachChannelReference(const Codeplug& codeplug, const std::function<void(const FoundChannelReference&)>& visit);
// The same walk, handing out each row to be changed.
void ForEachChannelReference(Codeplug& codeplug,
                             const std::function<void(const FoundChannelReference&, FieldRow& row)>& visit);

// The number that a reference's value states: ASCII digits only, no sign or
// blank, at most nine of them beyond leading zeros; nothing for any other
// value, which names no channel.
std::optional<std::size_t> ReadReferenceNumber(std::u16string_view value) noexcept;
