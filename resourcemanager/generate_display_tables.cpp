// Build tool: turns data/field_names.tsv and data/choices.tsv into the C++
// definitions that display_tables.h declares, after checking every row
// against the codeplug's own list of field ids. Any fault in the data fails
// the build with the file and line, and leaves no output behind.
//
//   generate_display_tables <field_names.tsv> <choices.tsv> <output.cpp>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/layout.h"
#include "resourcemanager/language.h"

namespace {

struct DataError {
    std::string where;
    std::string message;
};

struct Row {
    std::string where;  // "path:line"
    std::vector<std::string> cells;
};

struct FieldRow {
    std::string tableName;
    std::u32string names[kLanguageCount];
    bool onOff = false;
};

struct WordRow {
    std::u32string value;
    std::u32string words[kLanguageCount];
};

// Tab-separated rows; blank lines and lines starting with '#' are skipped.
std::vector<Row> read_rows(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataError{path, "cannot be read"};
    std::vector<Row> rows;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        Row row{path + ":" + std::to_string(number), {}};
        std::string_view rest = line;
        for (std::size_t tab; (tab = rest.find('\t')) != std::string_view::npos; rest.remove_prefix(tab + 1))
            row.cells.emplace_back(rest.substr(0, tab));
        row.cells.emplace_back(rest);
        rows.push_back(std::move(row));
    }
    return rows;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
std::u32string decode_utf8(std::string_view text, const std::string& where) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80             ? 0
                    : (lead & 0xE0) == 0xC0 ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) throw DataError{where, "is not UTF-8"};
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) throw DataError{where, "is not UTF-8"};
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            throw DataError{where, "is not UTF-8"};
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// A text a report can print: not empty, no control characters, no space at
// either end.
std::u32string display_text(std::string_view cell, const std::string& where, std::string_view what) {
    std::u32string text = decode_utf8(cell, where);
    if (text.empty()) throw DataError{where, std::string(what) + " is empty"};
    for (char32_t c : text)
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            throw DataError{where, std::string(what) + " holds a control character"};
    if (text.front() == U' ' || text.back() == U' ')
        throw DataError{where, std::string(what) + " starts or ends with a space"};
    return text;
}

void expect_cells(const Row& row, std::size_t count) {
    if (row.cells.size() != count)
        throw DataError{row.where,
                        "has " + std::to_string(row.cells.size()) + " columns, not " + std::to_string(count)};
}

std::vector<FieldRow> read_field_names(const std::string& path) {
    std::vector<FieldRow> fields;
    for (const Row& row : read_rows(path)) {
        expect_cells(row, 2 + kLanguageCount);
        const LONG id = static_cast<LONG>(fields.size());
        if (row.cells[0] != std::to_string(id))
            throw DataError{row.where, "has id " + row.cells[0] + " where id " + std::to_string(id) + " belongs"};
        if (id >= kFieldNameCount) throw DataError{row.where, "is past the last field id"};
        if (row.cells[1] != FieldName(id))
            throw DataError{row.where, "names id " + row.cells[0] + " " + row.cells[1] + ", the codeplug calls it " +
                                           std::string(FieldName(id))};
        FieldRow field{row.cells[1], {}, false};
        field.names[index_of(Language::English)] = display_text(row.cells[2], row.where, "the English name");
        field.names[index_of(Language::German)] = display_text(row.cells[3], row.where, "the German name");
        fields.push_back(std::move(field));
    }
    if (fields.size() != static_cast<std::size_t>(kFieldNameCount))
        throw DataError{path,
                        "has " + std::to_string(fields.size()) + " field rows, not " + std::to_string(kFieldNameCount)};
    return fields;
}

std::vector<WordRow> read_choices(const std::string& path, std::vector<FieldRow>& fields) {
    std::map<std::string, FieldRow*> byTableName;
    for (FieldRow& field : fields) byTableName.emplace(field.tableName, &field);

    std::vector<WordRow> words;
    for (const Row& row : read_rows(path)) {
        if (row.cells[0] == "field") {
            expect_cells(row, 2);
            auto found = byTableName.find(row.cells[1]);
            if (found == byTableName.end()) throw DataError{row.where, row.cells[1] + " is no field of the codeplug"};
            if (found->second->onOff) throw DataError{row.where, row.cells[1] + " is listed twice"};
            found->second->onOff = true;
        } else if (row.cells[0] == "word") {
            expect_cells(row, 2 + kLanguageCount);
            WordRow word{display_text(row.cells[1], row.where, "the value"), {}};
            for (const WordRow& earlier : words)
                if (earlier.value == word.value)
                    throw DataError{row.where, "value " + row.cells[1] + " is listed twice"};
            word.words[index_of(Language::English)] = display_text(row.cells[2], row.where, "the English word");
            word.words[index_of(Language::German)] = display_text(row.cells[3], row.where, "the German word");
            words.push_back(std::move(word));
        } else {
            throw DataError{row.where, "starts with \"" + row.cells[0] + "\", neither \"field\" nor \"word\""};
        }
    }
    return words;
}

// A u"" literal. Characters outside printable ASCII are written as universal
// character names, so the generated file means the same whatever the
// compiler takes its source encoding to be.
std::string literal(const std::u32string& text) {
    std::string out = "u\"";
    for (char32_t c : text) {
        if (c == U'"' || c == U'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char escape[12];
            std::snprintf(escape, sizeof escape, c <= 0xFFFF ? "\\u%04X" : "\\U%08X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out + '"';
}

std::string generate(const std::vector<FieldRow>& fields, const std::vector<WordRow>& words) {
    std::ostringstream out;
    out << "// Generated by generate_display_tables from resourcemanager/data; edit the data, not this file.\n\n"
           "#include \"resourcemanager/display_tables.h\"\n\n"
           "namespace {\n\n"
           "constexpr FieldDisplay kFields[] = {\n";
    for (std::size_t id = 0; id < fields.size(); ++id) {
        const FieldRow& field = fields[id];
        out << "    /* " << id << " " << field.tableName << " */ {{" << literal(field.names[0]) << ", "
            << literal(field.names[1]) << "}, " << (field.onOff ? "true" : "false") << "},\n";
    }
    out << "};\n\n"
           "constexpr ChoiceWord kWords[] = {\n";
    for (const WordRow& word : words)
        out << "    {" << literal(word.value) << ", {" << literal(word.words[0]) << ", " << literal(word.words[1])
            << "}},\n";
    out << "};\n\n"
           "}  // namespace\n\n"
           "std::span<const FieldDisplay> FieldDisplays() noexcept { return kFields; }\n\n"
           "std::span<const ChoiceWord> ChoiceWords() noexcept { return kWords; }\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    static_assert(kLanguageCount == 2, "generate() writes one literal for each language");
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <field_names.tsv> <choices.tsv> <output.cpp>\n", argv[0]);
        return 2;
    }
    try {
        std::vector<FieldRow> fields = read_field_names(argv[1]);
        std::vector<WordRow> words = read_choices(argv[2], fields);
        std::string source = generate(fields, words);
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        if (!(out << source) || !out.flush()) throw DataError{argv[3], "cannot be written"};
    } catch (const DataError& error) {
        std::fprintf(stderr, "%s: %s\n", error.where.c_str(), error.message.c_str());
        std::remove(argv[3]);
        return 1;
    }
    return 0;
}
