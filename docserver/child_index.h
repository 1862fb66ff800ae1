#pragma once

// Finds a parent's index-th child element, of any name or of one name. Each
// parent remembers where its last lookup of either kind ended and the next
// one steps from there, so asking for 0, 1, 2 ... costs amortised constant
// time per call, also when walks over several parents interleave (a block's
// items, each with its own fields). Between clear()s elements may be
// appended and text nodes removed, but no element may go away.

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>

namespace docserver {

class child_index {
public:
    // The index-th (from 0) child element of parent; an empty node when
    // parent has no more child elements. Throws std::bad_alloc.
    [[nodiscard]] pugi::xml_node child(pugi::xml_node parent, std::size_t index);

    // The index-th (from 0) child element of parent named name; an empty
    // node when there are fewer. Throws std::bad_alloc.
    [[nodiscard]] pugi::xml_node named_child(pugi::xml_node parent, const char* name, std::size_t index);

    // The number of child elements of parent. Throws std::bad_alloc.
    [[nodiscard]] std::size_t count(pugi::xml_node parent);

    // Keeps the count right after an element was appended to parent.
    void appended_to(pugi::xml_node parent) noexcept;

    // Forgets every parent, before the nodes go away.
    void clear() noexcept;

private:
    struct position {
        pugi::xml_node_struct* node = nullptr;
        std::size_t index = 0;
    };
    struct parent_walks {
        position any;
        position named;
        std::string name;
        std::size_t count = kUnknownCount;
    };
    static constexpr std::size_t kUnknownCount = static_cast<std::size_t>(-1);

    std::unordered_map<pugi::xml_node_struct*, parent_walks> parents_;
};

}  // namespace docserver
