#pragma once

// Realistic codeplugs of any size to feed a codeplug object, for examples
// and benchmarks: the same on every platform and standard library for the
// same channel count.

#include "host/codeplug_model.h"

// A mobile radio's codeplug with `channels` channels (none for a count below
// 1): identity, region vectors, radio, button and signalling settings, the
// channels in CP_BLOCK (one ENTRY item each), zones of 16 channels in PA_BLOCK
// and scan lists of 16 channels in SLI_BLOCK. Every alias holds a space.
//
// Field count: 360 + 39 per channel + 16 per started group of 16 channels,
// so 40 per channel for whole groups: 1,000 fields at 16 channels, 10,015 at
// 241 and 100,005 at 2,491. Values vary with a generator seeded by the
// channel count.
Codeplug GenerateRealisticCodeplug(int channels);
