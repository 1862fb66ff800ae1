#pragma once

// The values that a coded field may hold, for the fields whose choices are
// known: the codes of a channel and of a scan list that the full report shows
// as words (samples/README.md, "Coded values"), and a channel's on/off
// fields, 0 or 1. Fields whose codes are open-ended there (a time-out in
// seconds, a deviation, a scan list's index) are not listed.

#include <span>
#include <string_view>

#include "platform/wintypes.h"

// The field's choices; empty when they are not known.
std::span<const std::u16string_view> DocumentedChoices(LONG field) noexcept;
