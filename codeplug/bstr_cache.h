#pragma once

// BSTRs of the fixed texts a conversion hands to the document server again
// and again (element and attribute names), made once per conversion rather
// than once per field.

#include <string_view>
#include <unordered_map>

#include "platform/unique_bstr.h"

class BstrCache {
public:
    // The text must outlive the cache (table names and literals do). Throws
    // std::bad_alloc.
    BSTR get(std::string_view text);

private:
    std::unordered_map<std::string_view, unique_bstr> texts_;
};
