#include "docserver/node_table.h"

#include <limits>

namespace docserver {

namespace {

constexpr ULONG kLastHandle = std::numeric_limits<ULONG>::max();

// After some four billion handles the numbers start again at 1. A document
// starting near the top keeps at least this many numbers for itself.
constexpr ULONG kReservePerDocument = ULONG{1} << 24;

}  // namespace

ULONG node_table::handle_of(pugi::xml_node node) {
    auto [entry, inserted] = handles_.try_emplace(node.internal_object(), 0);
    if (!inserted) return entry->second;
    if (nodes_.size() > kLastHandle - base_) {
        handles_.erase(entry);
        return 0;
    }
    try {
        nodes_.push_back(node.internal_object());
    } catch (...) {
        handles_.erase(entry);
        throw;
    }
    entry->second = base_ + static_cast<ULONG>(nodes_.size() - 1);
    return entry->second;
}

pugi::xml_node node_table::node_of(ULONG handle) const noexcept {
    if (handle < base_ || handle - base_ >= nodes_.size()) return {};
    return pugi::xml_node(nodes_[handle - base_]);
}

void node_table::clear() noexcept {
    ULONG issued = static_cast<ULONG>(nodes_.size());
    base_ = issued > kLastHandle - kReservePerDocument - base_ ? 1 : base_ + issued;
    nodes_.clear();
    handles_.clear();
}

}  // namespace docserver
