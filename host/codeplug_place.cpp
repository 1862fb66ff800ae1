#include "host/codeplug_place.h"

#include <cstdio>
#include <variant>

#include "platform/ansi.h"

namespace {

struct block_nouns {
    LONG block;
    const char* item;    // an ENTRY block's item, or a LIST block's
    const char* member;  // a LIST item's member
};

constexpr block_nouns kNouns[] = {
    {field::CP_BLOCK, "channel", nullptr},
    {field::PA_BLOCK, "zone", "member"},
    {field::SLI_BLOCK, "scan list", "member"},
};

const block_nouns* nouns_of(LONG block) noexcept {
    for (const block_nouns& nouns : kNouns)
        if (nouns.block == block) return &nouns;
    return nullptr;
}


}  // namespace

const TypeRows* RowsAt(const Codeplug& codeplug, const RowsPlace& place) noexcept {
    auto found = codeplug.blocks.find(place.block);
    if (found == codeplug.blocks.end()) return nullptr;
    const Block& block = found->second;
    if (const auto* rows = std::get_if<TypeRows>(&block)) return place.list || place.item ? nullptr : rows;
    if (const auto* entry = std::get_if<EntryBlock>(&block)) {
        if (place.list) return nullptr;
        if (!place.item) return &entry->info;
        return *place.item < entry->items.size() ? &entry->items[*place.item] : nullptr;
    }
    const auto& list = std::get<ListBlock>(block);
    if (!place.list) return place.item ? nullptr : &list.info;
    if (*place.list >= list.items.size()) return nullptr;
    const EntryBlock& item = list.items[*place.list];
    if (!place.item) return &item.info;
    return *place.item < item.items.size() ? &item.items[*place.item] : nullptr;
}

const std::u16string* AliasOf(const TypeRows& rows) noexcept {
    for (const FieldRow& row : rows)
        if (row.id == field::ALIAS || row.id == field::PA_ZONEALIAS) return &row.value;
    return nullptr;
}

void ForEachRows(const Codeplug& codeplug, const std::function<void(const RowsPlace&, const TypeRows&)>& visit) {
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks) {
            auto found = codeplug.blocks.find(layout.fieldId);
            if (found == codeplug.blocks.end()) continue;
            const LONG block = layout.fieldId;
            if (const auto* rows = std::get_if<TypeRows>(&found->second)) {
                visit({block, std::nullopt, std::nullopt}, *rows);
            } else if (const auto* entry = std::get_if<EntryBlock>(&found->second)) {
                visit({block, std::nullopt, std::nullopt}, entry->info);
                for (std::size_t item = 0; item < entry->items.size(); ++item)
                    visit({block, std::nullopt, item}, entry->items[item]);
            } else {
                const auto& list = std::get<ListBlock>(found->second);
                visit({block, std::nullopt, std::nullopt}, list.info);
                for (std::size_t item = 0; item < list.items.size(); ++item) {
                    visit({block, item, std::nullopt}, list.items[item].info);
                    for (std::size_t member = 0; member < list.items[item].items.size(); ++member)
                        visit({block, item, member}, list.items[item].items[member]);
                }
            }
        }
}

std::size_t LayoutPosition(LONG block) noexcept {
    std::size_t position = 0;
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks) {
            if (layout.fieldId == block) return position;
            ++position;
        }
    return position;
}

std::string DescribePlace(const Codeplug& codeplug, const RowsPlace& place) {
    const block_nouns* nouns = nouns_of(place.block);
    const char* itemNoun = nouns ? nouns->item : "item";
    const char* memberNoun = nouns && nouns->member ? nouns->member : "item";
    if (!place.list) return place.item ? NumberedItem(itemNoun, *place.item, RowsAt(codeplug, place)) : std::string();
    std::string text = NumberedItem(itemNoun, *place.list, RowsAt(codeplug, {place.block, place.list, std::nullopt}));
    if (place.item) text.append(" ").append(NumberedItem(memberNoun, *place.item, RowsAt(codeplug, place)));
    return text;
}

std::string NumberedItem(const char* noun, std::size_t index, const TypeRows* rows) {
    std::string text = std::string(noun).append(" ").append(std::to_string(index + 1));
    if (rows == nullptr) return text;
    if (const std::u16string* alias = AliasOf(*rows)) text.append(" ").append(QuotedText(*alias));
    return text;
}

std::string QuotedText(const std::u16string& value) {
    return std::string("\"").append(OneLineText(value)).append("\"");
}

std::string Utf8Text(const std::u16string& value) {
    std::string text;
    (void)try_to_utf8(value, text, ill_formed::replace);
    return text;
}

std::string OneLineText(const std::u16string& value) {
    std::string text = Utf8Text(value), shown;
    shown.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\n':
                shown += "\\n";
                break;
            case '\r':
                shown += "\\r";
                break;
            case '\t':
                shown += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
                    shown += escaped;
                } else {
                    shown += c;
                }
        }
    }
    return shown;
}
