#include "host/codeplug_json.h"

#include <climits>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/ansi.h"

namespace {

// Ordered, so that the writer's key order is the file's.
using json = nlohmann::ordered_json;

constexpr std::string_view kFormat = "xmlxsl-codeplug";
constexpr std::int64_t kVersion = 1;

std::string_view kind_name(BlockKind kind) {
    switch (kind) {
        case BlockKind::Type:
            return "a TYPE";
        case BlockKind::Entry:
            return "an ENTRY";
        case BlockKind::List:
            return "a LIST";
    }
    return "an unknown";
}

std::string member(const std::string& place, std::string_view key) {
    return place.empty() ? std::string(key) : place + "." + std::string(key);
}

std::string element(const std::string& place, std::size_t index) { return place + "[" + std::to_string(index) + "]"; }

std::optional<std::int64_t> integer_of(const json& value) {
    if (value.is_number_unsigned()) {
        auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    return std::nullopt;
}

class codeplug_reader {
public:
    explicit codeplug_reader(std::string_view source) : source_(source) {}

    Codeplug read(std::string_view text) {
        if (text.empty()) fail("", "the file is empty");
        json root = parse(text);
        if (!root.is_object()) fail("", "a codeplug file must hold one JSON object");
        for (const auto& [key, value] : root.items())
            if (key != "format" && key != "version" && key != "blocks") fail(key, "unknown key");

        auto format = root.find("format");
        if (format == root.end() || !format->is_string() || format->get<std::string>() != kFormat)
            fail("format", "must be \"xmlxsl-codeplug\"");
        auto version = root.find("version");
        if (version == root.end() || integer_of(*version) != kVersion) fail("version", "must be 1");
        auto blocks = root.find("blocks");
        if (blocks == root.end() || !blocks->is_object())
            fail("blocks", "must be an object that holds every block of the codeplug by name");
        return readBlocks(*blocks);
    }

private:
    [[noreturn]] void fail(const std::string& place, std::string_view problem) const {
        std::string line(source_);
        line += ": ";
        if (!place.empty()) line += place + ": ";
        line += problem;
        throw CodeplugFileError(line);
    }

    // Parses the text, refusing a key given twice in one object, which the
    // JSON library would otherwise quietly resolve to one of the two values.
    json parse(std::string_view text) const {
        struct Frame {
            bool array = false;
            std::size_t index = 0;
            std::string key;
            std::set<std::string> keys;
        };
        std::vector<Frame> frames;
        auto next_element = [&] {
            if (!frames.empty() && frames.back().array) ++frames.back().index;
        };
        auto on_event = [&](int, json::parse_event_t event, json& parsed) {
            switch (event) {
                case json::parse_event_t::object_start:
                case json::parse_event_t::array_start:
                    frames.emplace_back().array = event == json::parse_event_t::array_start;
                    break;
                case json::parse_event_t::key: {
                    std::string key = parsed.get<std::string>();
                    if (!frames.back().keys.insert(key).second) {
                        std::string place;
                        for (std::size_t i = 0; i + 1 < frames.size(); ++i)
                            place = frames[i].array ? element(place, frames[i].index) : member(place, frames[i].key);
                        fail(member(place, key), "given twice");
                    }
                    frames.back().key = std::move(key);
                    break;
                }
                case json::parse_event_t::object_end:
                case json::parse_event_t::array_end:
                    frames.pop_back();
                    next_element();
                    break;
                case json::parse_event_t::value:
                    next_element();
                    break;
            }
            return true;
        };
        try {
            return json::parse(text.begin(), text.end(), on_event);
        } catch (const json::parse_error& error) {
            failAtByte(text, error);
        }
    }

    [[noreturn]] void failAtByte(std::string_view text, const json::parse_error& error) const {
        std::size_t line = 1;
        std::size_t column = 1;
        for (std::size_t i = 0; i + 1 < error.byte && i < text.size(); ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        // The library's message repeats the position after its own prefix.
        std::string_view why = error.what();
        if (std::size_t at = why.find("column "); at != std::string_view::npos)
            if (std::size_t colon = why.find(": ", at); colon != std::string_view::npos) why.remove_prefix(colon + 2);
        fail("",
             "line " + std::to_string(line) + ", column " + std::to_string(column) + ": not JSON: " + std::string(why));
    }

    Codeplug readBlocks(const json& blocks) const {
        Codeplug codeplug;
        for (const auto& [name, value] : blocks.items()) {
            std::string place = member("blocks", name);
            std::optional<LONG> id = FindFieldId(name);
            std::optional<BlockKind> kind = id ? FindBlockKind(*id) : std::nullopt;
            if (!kind) fail(place, "unknown block");
            codeplug.blocks.emplace(*id, readBlock(value, *kind, place));
        }
        std::size_t layoutBlocks = 0;
        for (const RegionLayout& region : CodeplugRegions()) layoutBlocks += region.blocks.size();
        for (const RegionLayout& region : CodeplugRegions())
            for (const BlockLayout& layout : region.blocks)
                if (!codeplug.blocks.contains(layout.fieldId))
                    fail(
                        member("blocks", FieldName(layout.fieldId)),
                        "missing; a codeplug file holds all " + std::to_string(layoutBlocks) + " blocks of the layout");
        return codeplug;
    }

    Block readBlock(const json& value, BlockKind kind, const std::string& place) const {
        switch (kind) {
            case BlockKind::Type:
                if (!value.is_array()) fail(place, "a TYPE block must be an array of rows");
                return readRows(value, place);
            case BlockKind::Entry:
                return readEntry(value, place, "an ENTRY block");
            case BlockKind::List:
                return readList(value, place);
        }
        fail(place, "unknown block");
    }

    void expectInfoAndItems(const json& value, const std::string& place, std::string_view what) const {
        std::string shape = std::string(what) + " must be an object with \"info\" and \"items\"";
        if (!value.is_object() || !value.contains("info") || !value.contains("items")) fail(place, shape);
        for (const auto& [key, part] : value.items())
            if (key != "info" && key != "items") fail(member(place, key), "unknown key; " + shape);
        if (!value["info"].is_array()) fail(member(place, "info"), "must be an array of rows");
        if (!value["items"].is_array()) fail(member(place, "items"), "must be an array of items");
    }

    EntryBlock readEntry(const json& value, const std::string& place, std::string_view what) const {
        expectInfoAndItems(value, place, what);
        EntryBlock entry{readRows(value["info"], member(place, "info")), {}};
        std::string items = member(place, "items");
        entry.items.reserve(value["items"].size());
        for (std::size_t i = 0; i < value["items"].size(); ++i) {
            const json& item = value["items"][i];
            if (!item.is_array()) fail(element(items, i), "an ENTRY item must be an array of rows");
            entry.items.push_back(readRows(item, element(items, i)));
        }
        return entry;
    }

    ListBlock readList(const json& value, const std::string& place) const {
        expectInfoAndItems(value, place, "a LIST block");
        ListBlock list{readRows(value["info"], member(place, "info")), {}};
        std::string items = member(place, "items");
        list.items.reserve(value["items"].size());
        for (std::size_t i = 0; i < value["items"].size(); ++i)
            list.items.push_back(readEntry(value["items"][i], element(items, i), "a LIST item"));
        return list;
    }

    TypeRows readRows(const json& rows, const std::string& place) const {
        TypeRows read;
        read.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) read.push_back(readRow(rows[i], element(place, i)));
        return read;
    }

    FieldRow readRow(const json& row, const std::string& place) const {
        if (!row.is_object()) fail(place, "a row must be an object with \"field\" or \"id\", \"value\" and \"type\"");
        for (const auto& [key, part] : row.items())
            if (key != "field" && key != "id" && key != "value" && key != "type")
                fail(member(place, key), "unknown key");

        FieldRow read{0, {}, 0};
        auto field = row.find("field");
        auto id = row.find("id");
        if (field != row.end() && id != row.end())
            fail(place, "a row names its field by \"field\" or by \"id\", not both");
        if (field != row.end()) {
            if (!field->is_string()) fail(member(place, "field"), "a field name must be a string");
            std::optional<LONG> named = FindFieldId(field->get<std::string>());
            if (!named) fail(member(place, "field"), "unknown field name \"" + field->get<std::string>() + "\"");
            read.id = *named;
        } else if (id != row.end()) {
            std::optional<std::int64_t> number = integer_of(*id);
            if (!number || *number < INT32_MIN || *number > INT32_MAX)
                fail(member(place, "id"), "a field id must be an integer from -2147483648 to 2147483647");
            read.id = static_cast<LONG>(*number);
        } else {
            fail(place, "a row without \"field\" or \"id\"");
        }

        auto value = row.find("value");
        if (value == row.end()) fail(place, "a row without \"value\"");
        if (!value->is_string()) fail(member(place, "value"), "a value must be a string");
        if (!try_from_utf8(value->get_ref<const std::string&>(), read.value, ill_formed::refuse))
            fail(member(place, "value"), "a value must be UTF-8 text");

        if (auto type = row.find("type"); type != row.end()) {
            std::optional<std::int64_t> code = integer_of(*type);
            if (!code || *code < 0 || *code > 255)
                fail(member(place, "type"), "a type code must be an integer from 0 to 255");
            read.type = static_cast<BYTE>(*code);
        }
        return read;
    }

    std::string_view source_;
};

class codeplug_writer {
public:
    std::string write(const Codeplug& codeplug) {
        for (const auto& [id, block] : codeplug.blocks) {
            std::optional<BlockKind> kind = FindBlockKind(id);
            std::string name = FieldName(id).empty() ? "id " + std::to_string(id) : std::string(FieldName(id));
            if (!kind) fail(member("blocks", name), "not a block of the layout");
            if (*kind != KindOf(block))
                fail(member("blocks", name), std::string(kind_name(KindOf(block))) + " block where the layout has " +
                                                 std::string(kind_name(*kind)) + " one");
        }

        out_ += "{\n  \"format\": \"";
        out_ += kFormat;
        out_ += "\",\n  \"version\": " + std::to_string(kVersion) + ",\n  \"blocks\": {";
        bool first = true;
        for (const RegionLayout& region : CodeplugRegions())
            for (const BlockLayout& layout : region.blocks) {
                auto block = codeplug.blocks.find(layout.fieldId);
                if (block == codeplug.blocks.end()) continue;
                std::string name(FieldName(layout.fieldId));
                out_ += first ? "\n" : ",\n";
                first = false;
                indent(2);
                out_ += "\"" + name + "\": ";
                writeBlock(block->second, member("blocks", name));
            }
        out_ += first ? "}\n}\n" : "\n  }\n}\n";
        return std::move(out_);
    }

private:
    [[noreturn]] static void fail(const std::string& place, std::string_view problem) {
        throw CodeplugFileError("codeplug: " + place + ": " + std::string(problem));
    }

    void indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }

    template <typename Element, typename WriteElement>
    void writeArray(const std::vector<Element>& elements, int depth, WriteElement writeElement) {
        if (elements.empty()) {
            out_ += "[]";
            return;
        }
        out_ += "[\n";
        for (std::size_t i = 0; i < elements.size(); ++i) {
            indent(depth + 1);
            writeElement(elements[i], i);
            out_ += i + 1 < elements.size() ? ",\n" : "\n";
        }
        indent(depth);
        out_ += ']';
    }

    void writeBlock(const Block& block, const std::string& place) {
        if (const auto* rows = std::get_if<TypeRows>(&block)) writeRows(*rows, 2, place);
        if (const auto* entry = std::get_if<EntryBlock>(&block)) writeEntry(*entry, 2, place);
        if (const auto* list = std::get_if<ListBlock>(&block)) {
            out_ += "{\n";
            indent(3);
            out_ += "\"info\": ";
            writeRows(list->info, 3, member(place, "info"));
            out_ += ",\n";
            indent(3);
            out_ += "\"items\": ";
            std::string items = member(place, "items");
            writeArray(list->items, 3,
                       [&](const EntryBlock& item, std::size_t i) { writeEntry(item, 4, element(items, i)); });
            out_ += '\n';
            indent(2);
            out_ += '}';
        }
    }

    void writeEntry(const EntryBlock& entry, int depth, const std::string& place) {
        out_ += "{\n";
        indent(depth + 1);
        out_ += "\"info\": ";
        writeRows(entry.info, depth + 1, member(place, "info"));
        out_ += ",\n";
        indent(depth + 1);
        out_ += "\"items\": ";
        std::string items = member(place, "items");
        writeArray(entry.items, depth + 1,
                   [&](const TypeRows& item, std::size_t i) { writeRows(item, depth + 2, element(items, i)); });
        out_ += '\n';
        indent(depth);
        out_ += '}';
    }

    void writeRows(const TypeRows& rows, int depth, const std::string& place) {
        writeArray(rows, depth, [&](const FieldRow& row, std::size_t i) {
            if (row.id >= kFirstFieldId && row.id <= kLastFieldId)
                out_ += "{\"field\": \"" + std::string(FieldName(row.id)) + "\", ";
            else
                out_ += "{\"id\": " + std::to_string(row.id) + ", ";
            std::string value;
            if (!try_to_utf8(row.value, value, ill_formed::refuse))
                fail(element(place, i) + ".value", "holds a lone surrogate, which UTF-8 cannot carry");
            out_ += "\"value\": " + json(std::move(value)).dump() + ", \"type\": " + std::to_string(row.type) + "}";
        });
    }

    std::string out_;
};

}  // namespace

Codeplug ReadCodeplugJson(std::string_view text, std::string_view source) { return codeplug_reader(source).read(text); }

std::string WriteCodeplugJson(const Codeplug& codeplug) { return codeplug_writer().write(codeplug); }
