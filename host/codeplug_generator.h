#pragma once

// Codeplugs to feed a codeplug object: random ones full of hard text for
// round-trip tests, and realistic ones of any size for examples and
// benchmarks. Both are the same on every platform and standard library for
// the same arguments.

#include <cstddef>
#include <cstdint>

#include "host/codeplug_model.h"

struct RandomOptions {
    // Drawn from 0 up to the limit, both included.
    std::size_t maxRows = 8;   // rows of an info part or ENTRY item
    std::size_t maxItems = 4;  // items of an ENTRY or LIST block
    // Drawn from 1 up to the limit: pieces joined into one value that is
    // neither empty nor long.
    std::size_t maxPieces = 4;
    // A long value's length is drawn from 256 up to this.
    std::size_t maxLongValue = 1000;
};

// Every block of the layout, of its layout kind, with random field ids in 1
// to 470 and type codes in 0 to 255. Values are empty, or join hard pieces:
// markup characters (& < > " '), CR, LF, CRLF, tabs and spaces (so leading
// and trailing too), digits, words such as "Ô" (U+00D4, whose code page 1252
// byte 0xD4 is the file scrambling key) and "€", runs of any character of code
// page 1252 (ASCII, U+00A0 to U+00FF, and what bytes 0x80 to 0x9F map to,
// U+0081, U+008D, U+008F, U+0090 and U+009D included), and now and then one
// long text. No value holds U+0000, another C0 control than TAB, CR and LF,
// or a character that code page 1252 cannot hold.
Codeplug GenerateRandomCodeplug(std::uint32_t seed, const RandomOptions& options = {});

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
