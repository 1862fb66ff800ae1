#pragma once

// The channel list as CSV (RFC 4180, UTF-8), for a spreadsheet and back:
// one record for each item of CP_BLOCK, with every field row of the item,
// each value exactly as the codeplug holds it. Three header lines come
// first:
//
//   Channel,Zones,Receive frequency,Transmit frequency,...,Alias   display names, for people
//   channel,zones,CP_RXFREQ,CP_TXFREQ,...,ALIAS                    table names
//   ,,4,4,...,3                                                    type codes
//   1,Zone North #1,458.18750,463.18750,...,Fire Dispatch 1
//
// - "channel": the channel's number (from 1) in the codeplug it came from,
//   which tells import which channel a record is; an empty cell makes a new
//   channel. "zones": each zone whose member names the channel, with the
//   member's position ("Zone North #3; Zone South #1"); import only checks
//   that it is as the codeplug has it, since it changes no zone.
// - Then a column for each field: an item's rows, in their order, each in
//   its column. A field held with different type codes has a column for
//   each code, and a field that an item holds twice two columns. Ids outside
//   1 to 470 are named by their number.
// - An unquoted empty cell is a field that the item does not hold; "" is an
//   empty value.
// - The excel form begins with a byte order mark, and puts a ' before every
//   cell that begins with =, +, -, @, ', a tab or a carriage return, so that
//   a spreadsheet takes none for a formula, and writes an empty value as a
//   ' alone, which a spreadsheet keeps apart from an empty cell. Its type
//   code line says "excel" in the channel column, and only then does import
//   take the ' off again.

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/codeplug_model.h"
#include "host/field_display_names.h"

// A CSV that cannot replace the channel list, or a codeplug without one. The
// line names the place in the CSV where there is one: "line 7, column 5
// (CP_RXFREQ): ...".
class ChannelCsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The CSV of the codeplug's channel list, display names from `names`.
// Throws ChannelCsvError for a codeplug without a channel list (CP_BLOCK of
// kind ENTRY) and for a value that is no UTF-16 text (a lone surrogate).
std::string WriteChannelCsv(const Codeplug& codeplug, const FieldDisplayNames& names, bool excel);

// The codeplug with its channel list made from the CSV, in the CSV's order,
// and every reference to a channel (channel_references.h) renumbered to
// name the same channel as before; a channel count that stated the old
// number of channels states the new one. Nothing else changes. Throws
// ChannelCsvError, changing nothing, for text that is no CSV of this form, a
// bad cell, and a reference that cannot name its channel afterwards (its
// channel has no record, or it names none and a new channel would give it
// one).
Codeplug ReplaceChannels(const Codeplug& codeplug, std::string_view csv);
