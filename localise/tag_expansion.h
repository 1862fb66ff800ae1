#pragma once

// The translator's loop over a template's tags: the first "^tag^" from the
// search start is replaced everywhere by its text, and the search goes on
// from where that tag began, inside the text just put in. CXSL::translateXSL
// runs it once its resources are loaded; kept apart so that its limits can be
// reached with small texts.

#include <cstddef>
#include <functional>
#include <string>

#include "report/short_status.h"

// Puts the escaped text that replaces tag into replacement and gives
// kShortOk, or gives a failure status with its line already appended to the
// error text.
using tag_lookup = std::function<ShortStatus(const std::string& tag, std::string& replacement)>;

struct tag_expansion_limits {
    // Bytes by which the text may grow beyond its size at the start.
    std::size_t growth;
    // Bytes that the steps for tags replaced before may scan, in all; each
    // such step scans the text from the caret it found onward.
    std::size_t rescans;
};

// Replaces the tags of text, in the ANSI code page's characters, looking
// each distinct tag up once. Every result but kShortOk appends its line to
// the error text:
// - kShortOk: no caret is left from the search start on.
// - kShortFormat: an odd number of carets ("Uneven number of ^. Bad
//   formatting.\n", text untouched), or a caret without a partner during the
//   replacements ("Uneven number of carets.  Bad formatting.\n").
// - kShortTagLength: a tag not four characters long.
// - lookup's failure status, its line appended by lookup.
// - kShortMemory, "Unable to allocate memory in CXSL::translateXSL \n": the
//   text would grow past the limit, the rescans pass theirs, the text comes
//   back at a later search start (so it would grow without end), or memory
//   runs out. The text is then unspecified.
// - kShortResource, "Resource file or registry error \n": the loop comes back
//   to a search start and text it was in before; the text is the one that
//   came back, as when it first did.
// Otherwise the text keeps the replacements made before the failure. An
// exception from lookup other than std::bad_alloc passes through.
[[nodiscard]] ShortStatus ExpandTags(std::string& text, const tag_lookup& lookup, tag_expansion_limits limits);
