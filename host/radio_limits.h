#pragma once

// What the radio itself can show and hold, where the codeplug does not say
// it. `xmlxsl check` measures against these; the README's section on check
// names this file.

#include <cstddef>

// The characters of an alias that the radio's display shows (a channel's,
// a zone's, a zone member's copy, a scan list's); the rest is cut off, so a
// longer alias is worth a warning before the codeplug goes into the radio.
constexpr std::size_t kAliasDisplayLength = 16;
