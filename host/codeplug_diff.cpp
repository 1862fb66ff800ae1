#include "host/codeplug_diff.h"

#include <algorithm>
#include <cstdint>
#include <dtl/dtl.hpp>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>

#include "codeplug/layout.h"
#include "host/item_alignment.h"

namespace {

// splitmix64's finaliser: every bit of the input reaches every bit of the
// result, so that combined hashes of similar items still spread.
std::uint64_t scrambled(std::uint64_t x) noexcept {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t combined(std::uint64_t seed, std::uint64_t value) noexcept {
    return scrambled(seed ^ (value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2)));
}

std::uint64_t hash_of(const TypeRows& rows) noexcept {
    std::uint64_t hash = rows.size();
    for (const FieldRow& row : rows) {
        hash = combined(hash, static_cast<std::uint32_t>(row.id));
        hash = combined(hash, row.type);
        hash = combined(hash, std::hash<std::u16string_view>{}(row.value));
    }
    return hash;
}

std::uint64_t hash_of(const EntryBlock& list) noexcept {
    std::uint64_t hash = combined(hash_of(list.info), list.items.size());
    for (const TypeRows& member : list.items) hash = combined(hash, hash_of(member));
    return hash;
}

template <typename Item>
std::vector<std::uint64_t> hashes_of(const std::vector<Item>& items) {
    std::vector<std::uint64_t> hashes;
    hashes.reserve(items.size());
    for (const Item& item : items) hashes.push_back(hash_of(item));
    return hashes;
}

bool name_same_fields(const TypeRows& before, const TypeRows& after) noexcept {
    if (before.size() != after.size()) return false;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i].id != after[i].id) return false;
    return true;
}

// How many fields of two entries differ, when they name the same fields and
// at most half of them differ: the similarity rule of codeplug_diff.h.
std::optional<std::size_t> distance(const TypeRows& before, const TypeRows& after) noexcept {
    if (!name_same_fields(before, after)) return std::nullopt;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        if (2 * ++differing > before.size()) return std::nullopt;
    }
    return differing;
}

// A zone or scan list whose members stayed is the same list renamed; one
// whose info part is similar is the same list with other members, which
// weigh one field more than its info part alone.
std::optional<std::size_t> distance(const EntryBlock& before, const EntryBlock& after) {
    std::optional<std::size_t> info = distance(before.info, after.info);
    if (before.items == after.items) return info.value_or(std::max(before.info.size(), after.info.size()));
    if (info) return *info + 1;
    return std::nullopt;
}

// Where the rows being compared lie.
struct context {
    LONG block;
    std::optional<item_place> item;
    std::optional<item_place> member;
};

class codeplug_differ {
public:
    explicit codeplug_differ(std::vector<difference>& found) : found_(found) {}

    void compare(LONG block, const Block& before, const Block& after) {
        const context where{block, std::nullopt, std::nullopt};
        switch (KindOf(before)) {
            case BlockKind::Type:
                rows(std::get<TypeRows>(before), std::get<TypeRows>(after), where);
                return;
            case BlockKind::Entry: {
                const auto& [beforeInfo, beforeItems] = std::get<EntryBlock>(before);
                const auto& [afterInfo, afterItems] = std::get<EntryBlock>(after);
                rows(beforeInfo, afterInfo, where);
                items(beforeItems, afterItems, where, false);
                return;
            }
            case BlockKind::List: {
                const auto& [beforeInfo, beforeItems] = std::get<ListBlock>(before);
                const auto& [afterInfo, afterItems] = std::get<ListBlock>(after);
                rows(beforeInfo, afterInfo, where);
                items(beforeItems, afterItems, where, false);
                return;
            }
        }
    }

private:
    void field(const context& where, change_kind kind, const FieldRow* before, const FieldRow* after) {
        found_.push_back({kind, where.block, where.item, where.member, before, after});
    }

    void item(const context& where, change_kind kind) {
        found_.push_back({kind, where.block, where.item, where.member, nullptr, nullptr});
    }

    void rows(const TypeRows& before, const TypeRows& after, const context& where) {
        if (name_same_fields(before, after)) {
            for (std::size_t i = 0; i < before.size(); ++i)
                if (before[i] != after[i]) field(where, change_kind::field_changed, &before[i], &after[i]);
            return;
        }
        std::vector<LONG> beforeIds, afterIds;
        for (const FieldRow& row : before) beforeIds.push_back(row.id);
        for (const FieldRow& row : after) afterIds.push_back(row.id);
        dtl::Diff<LONG> diff(beforeIds, afterIds);
        diff.compose();
        // dtl numbers the elements of each sequence from 1.
        for (const auto& [id, info] : diff.getSes().getSequence()) {
            const FieldRow* was = info.beforeIdx > 0 ? &before[static_cast<std::size_t>(info.beforeIdx) - 1] : nullptr;
            const FieldRow* is = info.afterIdx > 0 ? &after[static_cast<std::size_t>(info.afterIdx) - 1] : nullptr;
            if (info.type == dtl::SES_DELETE)
                field(where, change_kind::field_removed, was, nullptr);
            else if (info.type == dtl::SES_ADD)
                field(where, change_kind::field_added, nullptr, is);
            else if (*was != *is)
                field(where, change_kind::field_changed, was, is);
        }
    }

    // The items of an ENTRY or LIST block, or the members of a list item.
    template <typename Item>
    void items(const std::vector<Item>& before, const std::vector<Item>& after, const context& where, bool members) {
        const std::vector<std::uint64_t> beforeHashes = hashes_of(before), afterHashes = hashes_of(after);
        const std::vector<alignment_step> steps =
            AlignItems({beforeHashes, afterHashes, [&](std::size_t i, std::size_t j) { return before[i] == after[j]; },
                        [&](std::size_t i, std::size_t j) { return distance(before[i], after[j]); }});
        for (const alignment_step& step : steps) {
            std::optional<item_side> was, is;
            if (step.what != alignment_step::kind::inserted) was = side_of(step.before, before[step.before]);
            if (step.what != alignment_step::kind::removed) is = side_of(step.after, after[step.after]);
            context inner = where;
            (members ? inner.member : inner.item) = item_place{was, is};
            switch (step.what) {
                case alignment_step::kind::removed:
                    item(inner, change_kind::item_removed);
                    break;
                case alignment_step::kind::inserted:
                    item(inner, change_kind::item_inserted);
                    break;
                case alignment_step::kind::paired:
                    pair(before[step.before], after[step.after], inner);
                    break;
            }
        }
    }

    static item_side side_of(std::size_t position, const TypeRows& entry) { return {position, &entry, nullptr}; }
    static item_side side_of(std::size_t position, const EntryBlock& list) { return {position, nullptr, &list}; }

    void pair(const TypeRows& before, const TypeRows& after, const context& where) { rows(before, after, where); }
    void pair(const EntryBlock& before, const EntryBlock& after, const context& where) {
        rows(before.info, after.info, where);
        items(before.items, after.items, where, true);
    }

    std::vector<difference>& found_;
};

const Block& block_or_empty(const Codeplug& codeplug, const BlockLayout& layout) {
    static const Block kEmpty[] = {TypeRows{}, EntryBlock{}, ListBlock{}};
    auto found = codeplug.blocks.find(layout.fieldId);
    if (found == codeplug.blocks.end()) return kEmpty[static_cast<std::size_t>(layout.kind)];
    if (KindOf(found->second) != layout.kind)
        throw std::invalid_argument(std::string(FieldName(layout.fieldId)) + " is not of its layout's kind");
    return found->second;
}

std::optional<std::u16string_view> value_of(const TypeRows& rows, LONG id) noexcept {
    for (const FieldRow& row : rows)
        if (row.id == id) return row.value;
    return std::nullopt;
}

}  // namespace

std::vector<difference> DiffCodeplugs(const Codeplug& before, const Codeplug& after) {
    std::vector<difference> found;
    codeplug_differ differ(found);
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks)
            differ.compare(layout.fieldId, block_or_empty(before, layout), block_or_empty(after, layout));
    return found;
}

std::optional<std::u16string_view> ItemAlias(const item_side& item) noexcept {
    if (item.entry) return value_of(*item.entry, field::ALIAS);
    if (!item.list) return std::nullopt;
    if (auto zone = value_of(item.list->info, field::PA_ZONEALIAS)) return zone;
    return value_of(item.list->info, field::ALIAS);
}
