#pragma once

#include "host/codeplug_model.h"

// Every block of the layout present, of its kind, and empty.
Codeplug EmptyCodeplug();

// A few rows in a few blocks, small enough to read its XML at a glance: a
// region size row, a channel with an alias, a zone with one channel.
Codeplug SmallCodeplug();
