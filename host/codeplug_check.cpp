#include "host/codeplug_check.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_map>
#include <variant>

#include "host/channel_references.h"
#include "host/documented_choices.h"
#include "host/radio_limits.h"

namespace {

const FieldRow* find_row(const TypeRows& rows, LONG id) noexcept {
    for (const FieldRow& row : rows)
        if (row.id == id) return &row;
    return nullptr;
}


// MHz as the codeplug writes them: digits with at most one point among them.
std::optional<double> read_megahertz(std::u16string_view value) noexcept {
    char text[32];
    if (value.empty() || value.size() >= sizeof text) return std::nullopt;
    bool point = false, digit = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            digit = true;
        } else {
            return std::nullopt;
        }
        text[i] = static_cast<char>(c);
    }
    if (!digit) return std::nullopt;
    double megahertz = 0;
    std::from_chars(text, text + value.size(), megahertz, std::chars_format::fixed);
    return megahertz;
}

// Characters as the display counts them: a surrogate pair is one.
std::size_t characters(std::u16string_view text) noexcept {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count)
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            ++i;
    return count;
}

std::string choices_text(std::span<const std::u16string_view> choices) {
    std::string text;
    for (std::u16string_view choice : choices) {
        if (!text.empty()) text += ", ";
        text.append(choice.begin(), choice.end());
    }
    return text;
}

std::size_t item_count(const Codeplug& codeplug, LONG block) {
    auto found = codeplug.blocks.find(block);
    if (found == codeplug.blocks.end()) return 0;
    if (const auto* entry = std::get_if<EntryBlock>(&found->second)) return entry->items.size();
    if (const auto* list = std::get_if<ListBlock>(&found->second)) return list->items.size();
    return 0;
}

std::string megahertz_text(const FieldRow& row) { return OneLineText(row.value); }

class checker {
public:
    explicit checker(const Codeplug& codeplug)
        : codeplug_(codeplug),
          channels_(item_count(codeplug, field::CP_BLOCK)),
          scanLists_(item_count(codeplug, field::SLI_BLOCK)) {
        for (LONG id = 0; id < kFieldNameCount; ++id) choices_[static_cast<std::size_t>(id)] = DocumentedChoices(id);
    }

    std::vector<Finding> run() {
        find_band();
        ForEachRows(codeplug_, [&](const RowsPlace& place, const TypeRows& rows) {
            check_rows(place, rows);
            if (place.block == field::CP_BLOCK && place.item) check_channel(place, rows);
            if (place.block == field::PA_BLOCK && place.list && !place.item) check_zone(*place.list);
        });
        ForEachChannelReference(codeplug_, [&](const FoundChannelReference& found) { check_reference(found); });
        // Findings hold the blocks of the layout only, ids below 471.
        std::array<std::size_t, kFieldNameCount> positions{};
        for (LONG block = 0; block < kFieldNameCount; ++block)
            positions[static_cast<std::size_t>(block)] = LayoutPosition(block);
        auto order = [&](const Finding& f) {
            return std::tuple(positions[static_cast<std::size_t>(f.place.block)], f.place.list, f.place.item);
        };
        std::stable_sort(findings_.begin(), findings_.end(),
                         [&](const Finding& a, const Finding& b) { return order(a) < order(b); });
        return std::move(findings_);
    }

private:
    void add(severity level, std::string_view rule, const RowsPlace& place, const FieldRow& row, std::string message) {
        findings_.push_back({level, rule, place, row.id, row.value, std::move(message)});
    }

    void find_band() {
        const RowsPlace identity{field::RI_BLOCK, std::nullopt, std::nullopt};
        const TypeRows* rows = RowsAt(codeplug_, identity);
        const FieldRow* low = rows ? find_row(*rows, field::RI_BANDMINFREQ) : nullptr;
        const FieldRow* high = rows ? find_row(*rows, field::RI_BANDMAXFREQ) : nullptr;
        std::optional<double> lowest = low ? read_megahertz(low->value) : std::nullopt;
        std::optional<double> highest = high ? read_megahertz(high->value) : std::nullopt;
        if (lowest && highest && *lowest <= *highest) {
            band_ = {*lowest, *highest};
            bandText_ = megahertz_text(*low) + " to " + megahertz_text(*high) + " MHz";
            return;
        }
        // The first row that fails, or the row that is missing.
        FieldRow shown{field::RI_BANDMINFREQ, {}, 0};
        if (low && !lowest)
            shown = *low;
        else if (low && !high)
            shown.id = field::RI_BANDMAXFREQ;
        else if (low)
            shown = *high;
        add(severity::warning, "band", identity, shown,
            "the identity block states no band from a lower to a higher frequency in MHz, so frequencies are "
            "checked as numbers only");
    }

    void check_rows(const RowsPlace& place, const TypeRows& rows) {
        for (const FieldRow& row : rows) {
            if (row.id == field::ALIAS || row.id == field::PA_ZONEALIAS) {
                const std::size_t length = characters(row.value);
                if (length > kAliasDisplayLength)
                    add(severity::warning, "alias-length", place, row,
                        QuotedText(row.value) + " has " + std::to_string(length) + " characters; the display shows " +
                            std::to_string(kAliasDisplayLength));
            }
            if (row.id < 0 || row.id >= kFieldNameCount) continue;
            std::span<const std::u16string_view> choices = choices_[static_cast<std::size_t>(row.id)];
            if (choices.empty() || std::find(choices.begin(), choices.end(), row.value) != choices.end()) continue;
            add(severity::warning, "choice", place, row,
                QuotedText(row.value) + " is none of the documented choices " + choices_text(choices));
        }
    }

    void check_channel(const RowsPlace& place, const TypeRows& rows) {
        for (const FieldRow& row : rows) {
            if (row.id == field::CP_RXFREQ || row.id == field::CP_TXFREQ) check_frequency(place, row);
            if (row.id == field::CP_SCANLISTINDEX) {
                std::optional<std::size_t> list = ReadReferenceNumber(row.value);
                if (!list)
                    add(severity::error, "scan-list-reference", place, row,
                        QuotedText(row.value) + " names no scan list: a scan list is named by its index, from 0");
                else if (*list >= scanLists_)
                    add(severity::error, "scan-list-reference", place, row,
                        "names scan list " + std::to_string(*list + 1) + ", which the codeplug does not have: it has " +
                            std::to_string(scanLists_));
            }
        }
        const FieldRow* receiveOnly = find_row(rows, field::CP_RXONLY);
        const FieldRow* transmitOnly = find_row(rows, field::CP_TXONLY);
        if (receiveOnly && transmitOnly && receiveOnly->value == u"1" && transmitOnly->value == u"1")
            add(severity::error, "receive-transmit", place, *transmitOnly,
                "the channel is receive-only and transmit-only at once");
    }

    void check_frequency(const RowsPlace& place, const FieldRow& row) {
        std::optional<double> megahertz = read_megahertz(row.value);
        if (!megahertz)
            add(severity::error, "frequency", place, row, QuotedText(row.value) + " is no frequency in MHz");
        else if (band_ && (*megahertz < band_->first || *megahertz > band_->second))
            add(severity::error, "frequency", place, row,
                megahertz_text(row) + " MHz lies outside the radio's band, " + bandText_);
    }

    // Members whose alias an earlier member of the zone shows already.
    void check_zone(std::size_t zone) {
        const auto& list = std::get<ListBlock>(codeplug_.blocks.at(field::PA_BLOCK));
        const EntryBlock& members = list.items[zone];
        std::unordered_map<std::u16string_view, std::size_t> firstWith;
        for (std::size_t member = 0; member < members.items.size(); ++member) {
            const FieldRow* alias = find_row(members.items[member], field::ALIAS);
            if (alias == nullptr) continue;
            auto [first, added] = firstWith.emplace(alias->value, member);
            if (!added)
                add(severity::warning, "duplicate-alias", {field::PA_BLOCK, zone, member}, *alias,
                    QuotedText(alias->value) + " is the alias of member " + std::to_string(first->second + 1) +
                        " of the zone too");
        }
    }

    void check_reference(const FoundChannelReference& found) {
        std::optional<std::size_t> number = ReadReferenceNumber(found.row.value);
        if (found.reference.kind == channel_reference_kind::count) {
            if (number == channels_) return;
            add(severity::warning, "channel-count", found.place, found.row,
                (number ? "states " + std::to_string(*number) + " channels"
                        : QuotedText(found.row.value) + " is no count") +
                    "; the channel list holds " + std::to_string(channels_));
            return;
        }
        if (!number)
            add(severity::error, "channel-reference", found.place, found.row,
                QuotedText(found.row.value) + " names no channel: a channel is named by its index, from 0");
        else if (*number >= channels_)
            add(severity::error, "channel-reference", found.place, found.row,
                "names channel " + std::to_string(*number + 1) + ", which the codeplug does not have: it has " +
                    std::to_string(channels_));
    }

    const Codeplug& codeplug_;
    const std::size_t channels_, scanLists_;
    std::array<std::span<const std::u16string_view>, kFieldNameCount> choices_;
    std::optional<std::pair<double, double>> band_;
    std::string bandText_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckCodeplug(const Codeplug& codeplug) { return checker(codeplug).run(); }
