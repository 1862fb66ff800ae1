#pragma once

// The three forms in which `xmlxsl diff` tells the differences between two
// codeplugs, each as UTF-8 bytes; positions count from 1 in all of them.
//
// Text, one line for each difference, values in double quotes with the
// quote, the backslash, line breaks, tabs and other control characters
// escaped as in C (\u00XX for the rest), so that every line stands alone:
//
//   Channel parameters, channel 12 (was 11) "Fire Dispatch 1": Receive frequency: "450.12500" -> "450.22500"
//   Channel parameters, channel 13 "Fire Tac 9": inserted
//   Personality assignment, zone 2 "Zone South", member 5 "Fire Tac 1": Personality number: "3" -> "7"
//   Radio configuration: Microphone gain: "3" (type 2) -> "3" (type 7)
//   Radio information: Region information: added "EU" (type 3)
//
// JSON, for scripts (the README gives the whole shape):
//
//   {"format": "xmlxsl-diff", "version": 1, "before": FILE, "after": FILE, "language": "English",
//    "equal": false, "differences": [
//      {"change": "field-changed", "block": {"id": 38, "field": "CP_BLOCK", "name": "Channel parameters"},
//       "item": {"kind": "channel", "before": 11, "after": 12, "alias": "Fire Dispatch 1"},
//       "field": {"id": 455, "field": "CP_RXFREQ", "name": "Receive frequency"},
//       "before": {"value": "450.12500", "type": 4}, "after": {"value": "450.22500", "type": 4}},
//      {"change": "item-inserted", "block": ..., "item": {"kind": "channel", "after": 13, "alias": "Fire Tac 9"},
//       "content": {"fields": [{"id": 455, "field": "CP_RXFREQ", "name": ..., "value": ..., "type": 4}, ...]}}]}
//
// HTML: a printable change sheet in the style of the sample report, every
// value escaped, one table for each block that differs, with room for the
// technician's name, the date, the work order and a signature.

#include <string>
#include <string_view>
#include <vector>

#include "host/codeplug_diff.h"
#include "host/diff_wording.h"

// The two files compared, as the user named them.
struct diff_sources {
    std::string before;
    std::string after;
};

std::string DiffAsText(const std::vector<difference>& differences, diff_wording& words);
std::string DiffAsJson(const std::vector<difference>& differences, diff_wording& words, const diff_sources& sources);
// `after` is the codeplug compared to: its model and serial number head the
// sheet.
std::string DiffAsHtml(const std::vector<difference>& differences, diff_wording& words, const diff_sources& sources,
                       const Codeplug& after);

// "12", or "12 (was 11)" for an item that moved: the position after, else
// the one before.
std::string ItemPosition(const item_place& place, const diff_wording& words);

// The alias of the item after, else of the item before.
std::optional<std::u16string_view> PlaceAlias(const item_place& place) noexcept;

// A value as UTF-8; a surrogate without its other half becomes U+FFFD.
std::string Utf8(std::u16string_view text);
