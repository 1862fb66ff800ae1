#include "localise/path_separators.h"

namespace {

// No trail byte of the supported double-byte pages is 0x2F, so the bytes
// can be scanned one by one.
constexpr char kSeparator = '/';

}  // namespace

std::string MergeDoubledSeparators(const std::string& path) {
    std::string merged;
    merged.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        merged.push_back(path[i]);
        if (path[i] == kSeparator && i + 1 < path.size() && path[i + 1] == kSeparator) ++i;
    }
    return merged;
}
