#include "docserver/child_index.h"

#include <cstring>

namespace docserver {

namespace {

struct any_element {
    bool operator()(pugi::xml_node node) const noexcept { return node.type() == pugi::node_element; }
};

struct element_named {
    const char* name;
    bool operator()(pugi::xml_node node) const noexcept {
        return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
    }
};

template <typename Matches>
pugi::xml_node next_matching(pugi::xml_node node, Matches matches) noexcept {
    do node = node.next_sibling();
    while (node && !matches(node));
    return node;
}

template <typename Matches>
pugi::xml_node previous_matching(pugi::xml_node node, Matches matches) noexcept {
    do node = node.previous_sibling();
    while (node && !matches(node));
    return node;
}

// Steps from the remembered position, or from the first match when that is
// nearer, and leaves the position at the node found, or at the last match
// when the children run out first.
template <typename Matches, typename Position>
pugi::xml_node walk_to(pugi::xml_node parent, Position& at, std::size_t index, Matches matches) noexcept {
    pugi::xml_node node(at.node);
    std::size_t current = at.index;
    if (!node || (index < current && index < current - index)) {
        node = parent.first_child();
        if (node && !matches(node)) node = next_matching(node, matches);
        if (!node) return {};
        current = 0;
    }
    for (; current > index; --current) node = previous_matching(node, matches);
    for (; current < index; ++current) {
        pugi::xml_node next = next_matching(node, matches);
        if (!next) {
            at = {node.internal_object(), current};
            return {};
        }
        node = next;
    }
    at = {node.internal_object(), current};
    return node;
}

}  // namespace

pugi::xml_node child_index::child(pugi::xml_node parent, std::size_t index) {
    return walk_to(parent, parents_[parent.internal_object()].any, index, any_element{});
}

pugi::xml_node child_index::named_child(pugi::xml_node parent, const char* name, std::size_t index) {
    parent_walks& walks = parents_[parent.internal_object()];
    if (walks.name != name) {
        walks.named = {};
        walks.name = name;
    }
    return walk_to(parent, walks.named, index, element_named{walks.name.c_str()});
}

std::size_t child_index::count(pugi::xml_node parent) {
    parent_walks& walks = parents_[parent.internal_object()];
    if (walks.count == kUnknownCount) {
        std::size_t elements = 0;
        for (pugi::xml_node child : parent.children()) elements += child.type() == pugi::node_element;
        walks.count = elements;
    }
    return walks.count;
}

void child_index::appended_to(pugi::xml_node parent) noexcept {
    auto found = parents_.find(parent.internal_object());
    if (found != parents_.end() && found->second.count != kUnknownCount) ++found->second.count;
}

void child_index::clear() noexcept { parents_.clear(); }

}  // namespace docserver
