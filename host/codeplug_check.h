#pragma once

// The checks a technician runs before writing a codeplug into a radio. Each
// finding is an error (the radio would not work as meant) or a warning
// (worth a look):
//
//   rule                 severity  finds
//   frequency            error     a channel's receive or transmit frequency that is no number of
//                                  MHz ("450.12500": digits, at most one point) or lies outside the
//                                  band that the identity block states (RI_BANDMINFREQ to
//                                  RI_BANDMAXFREQ, both included)
//   band                 warning   an identity block that states no band in numbers: frequencies
//                                  are then checked as numbers only
//   channel-reference    error     a reference of channel_references.h whose channel the codeplug
//                                  does not have, or whose value is no index
//   scan-list-reference  error     a channel's scan list (CP_SCANLISTINDEX) that the codeplug does
//                                  not have, or that is no index
//   receive-transmit     error     a channel that is receive-only and transmit-only at once
//   duplicate-alias      warning   a zone member that shows the alias of an earlier member of its zone
//   alias-length         warning   an alias (ALIAS, PA_ZONEALIAS) longer than the radio's display
//                                  shows (kAliasDisplayLength in radio_limits.h)
//   choice               warning   a value outside a field's documented choices (documented_choices.h)
//   channel-count        warning   a channel count (channel_references.h) that is not the number of
//                                  channels

#include <string>
#include <string_view>
#include <vector>

#include "host/codeplug_model.h"
#include "host/codeplug_place.h"

enum class severity { error, warning };

struct Finding {
    severity level;
    // The rule's name, as above.
    std::string_view rule;
    RowsPlace place;
    // The field that the finding is about, and its value there.
    LONG field;
    std::u16string value;
    // What is wrong, in English.
    std::string message;
};

// Every finding, in the layout's order of blocks, and in a block by place,
// info rows first (as ForEachRows walks them). Throws std::bad_alloc.
std::vector<Finding> CheckCodeplug(const Codeplug& codeplug);
