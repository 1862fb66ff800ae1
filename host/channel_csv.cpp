#include "host/channel_csv.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <variant>
#include <vector>

#include "host/channel_references.h"
#include "host/codeplug_place.h"
#include "host/csv_records.h"
#include "platform/ansi.h"

namespace {

constexpr std::string_view kChannelColumn = "channel";
constexpr std::string_view kZonesColumn = "zones";
constexpr std::string_view kExcelMark = "excel";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Display names, table names, type codes.
constexpr std::size_t kHeaderLines = 3;
// What a spreadsheet may take for the start of a formula, and the guard
// itself, so that import can tell a guard from a value's own '. An empty
// value is the guard alone, since a spreadsheet saves an empty text without
// the quotes that tell it from a field that is not there.
constexpr std::string_view kGuarded = "=+-@'\t\r";
constexpr char kGuard = '\'';

// A field column: the field and the type code that its rows carry.
struct field_key {
    LONG id;
    BYTE type;

    bool operator==(const field_key&) const = default;
};

const EntryBlock& channel_list(const Codeplug& codeplug) {
    auto found = codeplug.blocks.find(field::CP_BLOCK);
    const EntryBlock* list = found == codeplug.blocks.end() ? nullptr : std::get_if<EntryBlock>(&found->second);
    if (list == nullptr)
        throw ChannelCsvError("the codeplug has no channel list: its CP_BLOCK is missing or not an ENTRY block");
    return *list;
}

bool is_subsequence(const std::vector<field_key>& keys, const std::vector<field_key>& columns) noexcept {
    std::size_t matched = 0;
    for (const field_key& column : columns)
        if (matched < keys.size() && column == keys[matched]) ++matched;
    return matched == keys.size();
}

// The shortest sequence that holds both in their order, built along their
// longest common subsequence. Items are short, so the table is small.
std::vector<field_key> merged(const std::vector<field_key>& a, const std::vector<field_key>& b) {
    std::vector<std::vector<std::size_t>> common(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<field_key> out;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            out.push_back(a[i++]);
            ++j;
        } else if (common[i + 1][j] >= common[i][j + 1]) {
            out.push_back(a[i++]);
        } else {
            out.push_back(b[j++]);
        }
    }
    out.insert(out.end(), a.begin() + static_cast<std::ptrdiff_t>(i), a.end());
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(j), b.end());
    return out;
}

// Columns in which every item's rows stand in their order. Items of one
// codeplug mostly hold the same fields in the same order, and then the
// columns are the first item's.
std::vector<field_key> field_columns(const EntryBlock& channels) {
    std::vector<field_key> columns, keys;
    for (const TypeRows& item : channels.items) {
        keys.clear();
        for (const FieldRow& row : item) keys.push_back({row.id, row.type});
        if (!is_subsequence(keys, columns)) columns = merged(columns, keys);
    }
    return columns;
}

std::string zone_name(const Codeplug& codeplug, std::size_t zone) {
    const TypeRows* info = RowsAt(codeplug, {field::PA_BLOCK, zone, std::nullopt});
    const std::u16string* alias = info ? AliasOf(*info) : nullptr;
    return alias ? Utf8Text(*alias) : "zone " + std::to_string(zone + 1);
}

// The zones cell of each channel: "Zone North #3; Zone South #1".
std::vector<std::string> zones_of_channels(const Codeplug& codeplug, std::size_t channels) {
    std::vector<std::string> zones(channels);
    ForEachChannelReference(codeplug, [&](const FoundChannelReference& found) {
        if (found.reference.block != field::PA_BLOCK || found.reference.kind != channel_reference_kind::index) return;
        std::optional<std::size_t> channel = ReadReferenceNumber(found.row.value);
        if (!channel || *channel >= channels) return;
        std::string& text = zones[*channel];
        if (!text.empty()) text += "; ";
        text += zone_name(codeplug, *found.place.list) + " #" + std::to_string(*found.place.item + 1);
    });
    return zones;
}

std::string table_name(LONG id) {
    if (id >= kFirstFieldId && id <= kLastFieldId) return std::string(FieldName(id));
    return std::to_string(id);
}

class guarded_writer {
public:
    explicit guarded_writer(bool excel) : excel_(excel) {
        if (excel_) out_.text() = kByteOrderMark;
    }

    void cell(std::optional<std::string_view> text) {
        if (!excel_ || !text || (!text->empty() && kGuarded.find(text->front()) == std::string_view::npos)) {
            out_.cell(text);
            return;
        }
        guarded_.assign(1, kGuard).append(*text);
        out_.cell(guarded_);
    }
    void end_record() { out_.end_record(); }
    std::string& text() noexcept { return out_.text(); }

private:
    bool excel_;
    csv_writer out_;
    std::string guarded_;
};

enum class column_role { channel, zones, field };

struct csv_column {
    column_role role;
    field_key key;
    // The table name as the CSV gives it, for messages.
    std::string name;
};

[[noreturn]] void fail_at(std::size_t line, std::size_t column, std::string_view name, const std::string& what) {
    std::string place = "line " + std::to_string(line) + ", column " + std::to_string(column);
    if (!name.empty()) place += " (" + std::string(name) + ")";
    throw ChannelCsvError(place + ": " + what);
}

// A cell quoted for a message, on one line.
std::string shown(std::string_view cell) {
    std::u16string wide;
    (void)try_from_utf8(cell, wide, ill_formed::replace);
    return QuotedText(wide);
}

std::optional<long long> read_integer(std::string_view text) noexcept {
    long long value = 0;
    if (text.empty() || text.front() == '+') return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<CsvRecord> read_records(std::string_view csv) {
    if (csv.starts_with(kByteOrderMark)) csv.remove_prefix(kByteOrderMark.size());
    try {
        return ReadCsvRecords(csv);
    } catch (const CsvSyntaxError& error) {
        fail_at(error.line(), error.column(), {}, error.what());
    }
}

// Every record has as many cells as the table name line.
void check_widths(const std::vector<CsvRecord>& records, const std::vector<csv_column>& columns) {
    for (const CsvRecord& record : records) {
        if (record.cells.size() == columns.size()) continue;
        const std::size_t at = std::min(record.cells.size(), columns.size());
        const std::string counts = "it has " + std::to_string(record.cells.size()) + " cells, the table name line " +
                                   std::to_string(columns.size());
        if (record.cells.size() < columns.size())
            fail_at(record.line, at + 1, columns[at].name, "the record ends before this column; " + counts);
        fail_at(record.line, at + 1, {}, "a cell beyond the last column; " + counts);
    }
}

void take_guards_off(std::vector<CsvRecord>& records) {
    for (CsvRecord& record : records)
        for (std::optional<std::string>& cell : record.cells)
            if (cell && *cell == std::string_view(&kGuard, 1))
                cell->clear();
            else if (cell && cell->size() > 1 && cell->front() == kGuard &&
                     kGuarded.find((*cell)[1]) != std::string::npos)
                cell->erase(0, 1);
}

std::optional<std::size_t> find_column(const CsvRecord& names, std::string_view name) {
    std::optional<std::size_t> found;
    for (std::size_t column = 0; column < names.cells.size(); ++column) {
        if (names.cells[column] != name) continue;
        if (found)
            fail_at(names.line, column + 1, name,
                    "a second column named \"" + std::string(name) + "\"; the table name line names it once");
        found = column;
    }
    return found;
}

csv_column field_column(const CsvRecord& names, const CsvRecord& types, std::size_t column) {
    const std::optional<std::string>& name = names.cells[column];
    if (!name || name->empty())
        fail_at(names.line, column + 1, {}, "the table name is missing; every column names its field");
    std::optional<LONG> id = FindFieldId(*name);
    if (!id) {
        std::optional<long long> number = read_integer(*name);
        if (!number || *number < LONG_MIN || *number > LONG_MAX)
            fail_at(names.line, column + 1, {}, shown(*name) + " is no field's table name (such as CP_RXFREQ)");
        id = static_cast<LONG>(*number);
    }
    const std::optional<std::string>& type = types.cells[column];
    std::optional<long long> code = type ? read_integer(*type) : std::nullopt;
    if (!code || *code < 0 || *code > 255)
        fail_at(types.line, column + 1, *name,
                (type ? shown(*type) : std::string("an empty cell")) + " is no type code; give a number from 0 to 255");
    return {column_role::field, {*id, static_cast<BYTE>(*code)}, *name};
}

// The columns of the header lines, after the guards are off where the CSV
// says it has them.
std::vector<csv_column> read_header(std::vector<CsvRecord>& records) {
    if (records.size() < kHeaderLines) {
        const std::size_t line = records.empty() ? 1 : records.back().line + 1;
        fail_at(line, 1, {}, "the CSV ends before its three header lines: display names, table names, type codes");
    }
    const CsvRecord& names = records[1];
    std::optional<std::size_t> channel = find_column(names, kChannelColumn);
    if (!channel)
        fail_at(names.line, 1, {},
                "no column is named \"channel\" in the table name line; export the channel list to get one");
    const CsvRecord& types = records[2];
    const std::string mark = *channel < types.cells.size() ? types.cells[*channel].value_or("") : "";
    if (!mark.empty() && mark != kExcelMark)
        fail_at(types.line, *channel + 1, kChannelColumn,
                shown(mark) + " is not the mark of the excel form; leave the cell empty, or \"excel\"");
    if (mark == kExcelMark) take_guards_off(records);

    std::vector<csv_column> columns;
    std::optional<std::size_t> zones = find_column(names, kZonesColumn);
    for (std::size_t column = 0; column < names.cells.size(); ++column) {
        if (column == *channel)
            columns.push_back({column_role::channel, {}, std::string(kChannelColumn)});
        else if (column == zones)
            columns.push_back({column_role::zones, {}, std::string(kZonesColumn)});
        else if (column < types.cells.size())
            columns.push_back(field_column(names, types, column));
        else
            columns.push_back({column_role::field, {}, names.cells[column].value_or("")});
    }
    return columns;
}

// A channel of the CSV: which channel of the codeplug it was, if any, and
// its rows.
struct csv_channel {
    std::size_t line;
    std::optional<std::size_t> was;
    TypeRows rows;
};

class channel_reader {
public:
    channel_reader(const Codeplug& codeplug, std::size_t channels)
        : zones_(zones_of_channels(codeplug, channels)), lineOf_(channels, 0) {}

    csv_channel read(const CsvRecord& record, const std::vector<csv_column>& columns) {
        csv_channel channel{record.line, std::nullopt, {}};
        for (std::size_t column = 0; column < columns.size(); ++column)
            if (columns[column].role == column_role::channel) channel.was = was(record, column);
        for (std::size_t column = 0; column < columns.size(); ++column) {
            const std::optional<std::string>& cell = record.cells[column];
            const csv_column& role = columns[column];
            if (role.role == column_role::zones) {
                const std::string& expected = channel.was ? zones_[*channel.was] : none_;
                if (cell.value_or("") != expected)
                    fail_at(record.line, column + 1, role.name,
                            shown(cell.value_or("")) + " is not the channel's zones as the codeplug has them (" +
                                shown(expected) +
                                "): channels import changes no zone; leave the cell as export wrote it");
            } else if (role.role == column_role::field && cell) {
                FieldRow& row = channel.rows.emplace_back(FieldRow{role.key.id, {}, role.key.type});
                if (!try_from_utf8(*cell, row.value, ill_formed::refuse))
                    fail_at(record.line, column + 1, role.name, "the cell is not UTF-8 text; save the CSV as UTF-8");
            }
        }
        return channel;
    }

private:
    std::optional<std::size_t> was(const CsvRecord& record, std::size_t column) {
        const std::optional<std::string>& cell = record.cells[column];
        if (!cell || cell->empty()) return std::nullopt;
        std::optional<long long> number = read_integer(*cell);
        if (!number || *number < 1 || static_cast<unsigned long long>(*number) > lineOf_.size())
            fail_at(record.line, column + 1, kChannelColumn,
                    shown(*cell) + " is not the number of a channel of the codeplug, which has " +
                        std::to_string(lineOf_.size()) + "; leave the cell empty to add a channel");
        const std::size_t index = static_cast<std::size_t>(*number - 1);
        if (lineOf_[index] != 0)
            fail_at(record.line, column + 1, kChannelColumn,
                    "channel " + *cell + " is on line " + std::to_string(lineOf_[index]) +
                        " already; empty the cell of the copy to add it as a new channel");
        lineOf_[index] = record.line;
        return index;
    }

    std::vector<std::string> zones_;
    // The line of the record of each channel of the codeplug; 0 for none yet.
    std::vector<std::size_t> lineOf_;
    const std::string none_;
};

// "zone 1 "Zone North" member 5 "Fire Tac 2" (PA_PERSINDEX)"
std::string holder_of(const Codeplug& codeplug, const FoundChannelReference& found) {
    std::string place = DescribePlace(codeplug, found.place);
    if (place.empty()) place = std::string(found.reference.holder);
    return place + " (" + std::string(FieldName(found.reference.field)) + ")";
}

std::string channel_named(const EntryBlock& channels, std::size_t index) {
    return NumberedItem("channel", index, &channels.items[index]);
}

// Points every reference at its channel's new place. The first reference
// that cannot follow its channel is the failure's line; the others are
// counted in it.
void renumber(Codeplug& codeplug, const Codeplug& before, const EntryBlock& oldChannels,
              const std::vector<std::optional<std::size_t>>& newIndexOf, std::size_t newCount) {
    const std::size_t oldCount = oldChannels.items.size();
    std::string failure;
    std::size_t failures = 0;
    ForEachChannelReference(codeplug, [&](const FoundChannelReference& found, FieldRow& row) {
        std::optional<std::size_t> number = ReadReferenceNumber(row.value);
        if (!number) return;
        if (found.reference.kind == channel_reference_kind::count) {
            if (*number == oldCount && newCount != oldCount) {
                std::string text = std::to_string(newCount);
                row.value.assign(text.begin(), text.end());
            }
            return;
        }
        std::string problem;
        if (*number < oldCount && newIndexOf[*number]) {
            if (*newIndexOf[*number] == *number) return;
            std::string text = std::to_string(*newIndexOf[*number]);
            row.value.assign(text.begin(), text.end());
            return;
        }
        if (*number < oldCount)
            problem = channel_named(oldChannels, *number) + " has no record in the CSV, but " +
                      holder_of(before, found) + " names it; keep its record, or take the reference away first";
        else if (*number < newCount)
            problem = holder_of(before, found) + " names channel " + std::to_string(*number + 1) +
                      ", which the codeplug does not have, and would name a new channel of the CSV; mend the "
                      "reference first (xmlxsl check finds it)";
        else
            return;
        if (failures++ == 0) failure = problem;
    });
    if (failures > 1)
        failure += " (and " + std::to_string(failures - 1) +
                   (failures == 2 ? " more such reference)" : " more such references)");
    if (failures > 0) throw ChannelCsvError(failure);
}

}  // namespace

std::string WriteChannelCsv(const Codeplug& codeplug, const FieldDisplayNames& names, bool excel) {
    const EntryBlock& channels = channel_list(codeplug);
    const std::vector<field_key> columns = field_columns(channels);
    const std::vector<std::string> zones = zones_of_channels(codeplug, channels.items.size());
    guarded_writer out(excel);

    out.cell("Channel");
    out.cell("Zones");
    for (const field_key& column : columns) out.cell(names(column.id));
    out.end_record();
    out.cell(kChannelColumn);
    out.cell(kZonesColumn);
    for (const field_key& column : columns) out.cell(table_name(column.id));
    out.end_record();
    out.cell(excel ? std::optional(kExcelMark) : std::nullopt);
    out.cell(std::nullopt);
    for (const field_key& column : columns) out.cell(std::to_string(column.type));
    out.end_record();

    std::string value;
    for (std::size_t index = 0; index < channels.items.size(); ++index) {
        const TypeRows& item = channels.items[index];
        out.cell(std::to_string(index + 1));
        out.cell(zones[index].empty() ? std::nullopt : std::optional<std::string_view>(zones[index]));
        // Every item's rows stand in the columns in their order: the first
        // column that fits each row is its own.
        std::size_t row = 0;
        for (const field_key& column : columns) {
            if (row == item.size() || field_key{item[row].id, item[row].type} != column) {
                out.cell(std::nullopt);
                continue;
            }
            if (!try_to_utf8(item[row].value, value, ill_formed::refuse))
                throw ChannelCsvError(channel_named(channels, index) + ": the value of " + table_name(item[row].id) +
                                      " holds a lone surrogate, which UTF-8 cannot carry");
            out.cell(value);
            ++row;
        }
        out.end_record();
    }
    return std::move(out.text());
}

Codeplug ReplaceChannels(const Codeplug& codeplug, std::string_view csv) {
    const EntryBlock& oldChannels = channel_list(codeplug);
    std::vector<CsvRecord> records = read_records(csv);
    const std::vector<csv_column> columns = read_header(records);
    check_widths(records, columns);

    channel_reader reader(codeplug, oldChannels.items.size());
    std::vector<TypeRows> items;
    std::vector<std::optional<std::size_t>> newIndexOf(oldChannels.items.size());
    items.reserve(records.size() - kHeaderLines);
    for (std::size_t at = kHeaderLines; at < records.size(); ++at) {
        csv_channel channel = reader.read(records[at], columns);
        if (channel.was) newIndexOf[*channel.was] = items.size();
        items.push_back(std::move(channel.rows));
    }

    // Every block but the old channel list, which would only be thrown away.
    const std::size_t newCount = items.size();
    Codeplug replaced;
    for (const auto& [id, block] : codeplug.blocks)
        if (id != field::CP_BLOCK) replaced.blocks.emplace(id, block);
    replaced.blocks.emplace(field::CP_BLOCK, EntryBlock{oldChannels.info, std::move(items)});
    renumber(replaced, codeplug, oldChannels, newIndexOf, newCount);
    return replaced;
}
