#pragma once

// The numbers by which the outside world names the elements of the one
// document. A handle is a base plus an index into the table; each clear()
// moves the base past every number issued so far, so a handle kept from an
// earlier document never names a node of a later one, it is merely unknown.
// Only after some four billion handles do the numbers start again at 1.

#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

#include "platform/wintypes.h"

namespace docserver {

class node_table {
public:
    // The handle of node, the same one each time it is asked for. 0 when
    // this document has used up its numbers (it has at least 2^24 of them).
    // Throws std::bad_alloc, issuing nothing then.
    [[nodiscard]] ULONG handle_of(pugi::xml_node node);

    // The node that handle names; an empty node for 0 and for every handle
    // that this document did not issue.
    [[nodiscard]] pugi::xml_node node_of(ULONG handle) const noexcept;

    // Forgets every handle, before the nodes they name go away.
    void clear() noexcept;

private:
    ULONG base_ = 1;
    std::vector<pugi::xml_node_struct*> nodes_;
    std::unordered_map<pugi::xml_node_struct*, ULONG> handles_;
};

}  // namespace docserver
