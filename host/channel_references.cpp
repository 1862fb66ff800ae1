#include "host/channel_references.h"

#include <variant>

namespace {

using enum channel_reference_kind;
using enum block_rows;

// Personality type 0: a conventional channel. Designated transmit type 2:
// the scan list transmits on its designated channel (0 and 1 are the
// selected and the last landed channel, which name none).
constexpr ChannelReference kReferences[] = {
    {field::TC_BLOCK, info, field::ENTRY_QUANTITY, count, 0, u"", "channel count of the type control"},
    {field::DR_BLOCK, info, field::DR_RADINHPERSINDEX, index, field::DR_RADINHPERSTYPE, u"0",
     "radio inhibit personality"},
    {field::SC_BLOCK, info, field::SC_EMREVPERSINDEX, index, field::SC_EMREVPERSTYPE, u"0",
     "emergency revert personality"},
    {field::CP_BLOCK, info, field::ENTRY_QUANTITY, count, 0, u"", "channel count of the channel list"},
    {field::PA_BLOCK, list_items, field::PA_PERSINDEX, index, field::PA_PERSTYPE, u"0", "zone member"},
    {field::SLI_BLOCK, list_info, field::SLI_DESTXPERSINDEX, index, field::SLI_DESTXPERSTYPE, u"2",
     "designated transmit channel"},
    {field::SLI_BLOCK, list_items, field::SM_PERSINDEX, index, field::SM_PERSTYPE, u"0", "scan list member"},
};

bool names_channel(const ChannelReference& reference, const TypeRows& rows) noexcept {
    if (reference.typeField == 0) return true;
    for (const FieldRow& row : rows)
        if (row.id == reference.typeField) return row.value == reference.channelType;
    return true;
}

void visit_rows(const ChannelReference& reference, const TypeRows& rows, const RowsPlace& place,
                const std::function<void(const FoundChannelReference&)>& visit) {
    bool checked = false, applies = false;
    for (const FieldRow& row : rows) {
        if (row.id != reference.field) continue;
        if (!checked) applies = names_channel(reference, rows), checked = true;
        if (applies) visit({reference, place, row});
    }
}

const TypeRows* info_of(const Block& block) noexcept {
    if (const auto* rows = std::get_if<TypeRows>(&block)) return rows;
    if (const auto* entry = std::get_if<EntryBlock>(&block)) return &entry->info;
    return &std::get<ListBlock>(block).info;
}

}  // namespace

std::span<const ChannelReference> ChannelReferences() noexcept { return kReferences; }

void ForEachChannelReference(const Codeplug& codeplug, const std::function<void(const FoundChannelReference&)>& visit) {
    for (const ChannelReference& reference : kReferences) {
        auto found = codeplug.blocks.find(reference.block);
        if (found == codeplug.blocks.end()) continue;
        if (reference.rows == info) {
            visit_rows(reference, *info_of(found->second), {reference.block, std::nullopt, std::nullopt}, visit);
            continue;
        }
        const auto* list = std::get_if<ListBlock>(&found->second);
        if (list == nullptr) continue;
        for (std::size_t item = 0; item < list->items.size(); ++item) {
            const EntryBlock& entry = list->items[item];
            if (reference.rows == list_info) {
                visit_rows(reference, entry.info, {reference.block, item, std::nullopt}, visit);
                continue;
            }
            for (std::size_t member = 0; member < entry.items.size(); ++member)
                visit_rows(reference, entry.items[member], {reference.block, item, member}, visit);
        }
    }
}

void ForEachChannelReference(Codeplug& codeplug,
                             const std::function<void(const FoundChannelReference&, FieldRow& row)>& visit) {
    // The rows are the caller's to change: the codeplug is not const.
    ForEachChannelReference(static_cast<const Codeplug&>(codeplug), [&](const FoundChannelReference& found) {
        visit(found, const_cast<FieldRow&>(found.row));
    });
}

std::optional<std::size_t> ReadReferenceNumber(std::u16string_view value) noexcept {
    while (value.size() > 1 && value.front() == u'0') value.remove_prefix(1);
    if (value.empty() || value.size() > 9) return std::nullopt;
    std::size_t number = 0;
    for (char16_t c : value) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - u'0');
    }
    return number;
}
