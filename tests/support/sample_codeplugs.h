#pragma once

#include "host/codeplug_model.h"

// Every block of the layout present, of its kind, and empty.
Codeplug EmptyCodeplug();

// A few rows in a few blocks, small enough to read its XML at a glance: a
// region size row, a channel with an alias, a zone with one channel.
Codeplug SmallCodeplug();

// SmallCodeplug with an empty ENTRY item, an empty LIST item and TC_BLOCK
// full of what is hard to carry: every character of code page 1252 but NUL
// (the five bytes the page leaves unassigned as the C1 controls Windows maps
// them to, and "Ô", whose byte 0xD4 is the file's scrambling key), markup,
// leading and trailing line breaks and blanks, an empty value, a value of
// more than 511 bytes, and a row for every field id from 1 to 470 with type
// codes from 0 to 255.
Codeplug HardCodeplug();

// A channel plan that `xmlxsl check` finds nothing in: a band of 450 to
// 470 MHz, two simplex channels ("Fire 1" at 451 MHz, "Fire 2" at 452 MHz)
// on scan list 1, and both in zone 1 ("North") and in scan list 1 ("Scan"),
// in their order.
Codeplug ChannelPlanCodeplug();
