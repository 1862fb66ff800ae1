#include "platform/find_text.h"

#include <string.h>

std::size_t FindText(std::string_view text, std::string_view what, std::size_t from) noexcept {
    if (from > text.size()) return std::string_view::npos;
    if (what.empty()) return from;
    const void* found = memmem(text.data() + from, text.size() - from, what.data(), what.size());
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : std::string_view::npos;
}
