#pragma once

// CReader: a resource string file in memory, a table from key to value, both
// narrow text in the ANSI code page. One line a key, a run of blanks or tabs,
// and the value; blank and "#" lines skipped.

#include <map>
#include <string>

#include "report/short_status.h"

class CReader {
public:
    // Adds the file's entries (a later line with the same key wins).
    // kShortOk; kShortFileOpen with "%s could not be opened.\n";
    // kShortResourceLine for a line with a key but no value, appending
    // nothing; kShortMemory or kShortRead with their lines. The entries read
    // before a failure stay.
    ShortStatus readFile(const std::string& path);

    // kShortOk with the key's value, or kShortResource with the empty string.
    // Throws std::bad_alloc when the value cannot be copied.
    ShortStatus getString(const std::string& key, std::string& value) const;

private:
    std::map<std::string, std::string> entries_;
};
