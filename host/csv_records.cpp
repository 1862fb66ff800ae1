#include "host/csv_records.h"

#include <csv.h>

#include <new>

namespace {

// libcsv's parser, freed with its owner.
class unique_csv_parser {
public:
    explicit unique_csv_parser(unsigned char options) {
        if (csv_init(&parser_, options) != 0) throw std::bad_alloc();
        // No byte is a blank to trim: a cell is every byte between its commas.
        csv_set_space_func(&parser_, [](unsigned char) { return 0; });
    }
    ~unique_csv_parser() { csv_free(&parser_); }
    unique_csv_parser(const unique_csv_parser&) = delete;
    unique_csv_parser& operator=(const unique_csv_parser&) = delete;

    csv_parser* get() noexcept { return &parser_; }

private:
    csv_parser parser_;
};

// libcsv's state between records (ROW_NOT_BEGUN in its source), which its
// header shows but does not name.
constexpr int kRowNotBegun = 0;

// What the callbacks build. libcsv reports a cell when it ends and a record
// when its terminator comes. No exception may cross libcsv's C frames: a
// failed allocation is kept and thrown once the parser has returned.
struct record_reader {
    std::vector<CsvRecord> records;
    CsvRecord current{0, {}};
    bool outOfMemory = false;

    static void on_cell(void* text, std::size_t length, void* self) noexcept {
        auto& reader = *static_cast<record_reader*>(self);
        try {
            if (text == nullptr)
                reader.current.cells.emplace_back();
            else
                reader.current.cells.emplace_back(std::string(static_cast<const char*>(text), length));
        } catch (const std::bad_alloc&) {
            reader.outOfMemory = true;
        }
    }

    static void on_record_end(int, void* self) noexcept {
        auto& reader = *static_cast<record_reader*>(self);
        try {
            reader.records.push_back(std::move(reader.current));
        } catch (const std::bad_alloc&) {
            reader.outOfMemory = true;
        }
        reader.current = CsvRecord{0, {}};
    }

    void throw_if_out_of_memory() const {
        if (outOfMemory) throw std::bad_alloc();
    }
};

[[noreturn]] void fail(csv_parser* parser, const record_reader& reader, std::size_t line, bool atEnd) {
    if (csv_error(parser) != CSV_EPARSE) throw std::bad_alloc();
    const std::size_t column = reader.current.cells.size() + 1;
    if (atEnd)
        throw CsvSyntaxError(reader.current.line, column, "a quoted cell is not closed before the end of the file");
    throw CsvSyntaxError(line, column,
                         "a quote inside a cell that does not begin with one, or text after a cell's closing "
                         "quote; quote the whole cell and double each quote in it");
}

bool must_quote(std::string_view text) noexcept {
    if (text.empty()) return true;
    if (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t') return true;
    return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

std::vector<CsvRecord> ReadCsvRecords(std::string_view text) {
    unique_csv_parser parser(CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL);
    record_reader reader;
    // Fed a line at a time: a record starts on the first line that finds the
    // parser between records and is not blank (a quoted cell may hold line
    // feeds, and a blank line makes no record).
    std::size_t line = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        ++line;
        if (parser.get()->pstate == kRowNotBegun) reader.current.line = line;
        std::string_view chunk = text.substr(start, end - start);
        if (csv_parse(parser.get(), chunk.data(), chunk.size(), record_reader::on_cell, record_reader::on_record_end,
                      &reader) != chunk.size())
            fail(parser.get(), reader, line, false);
        reader.throw_if_out_of_memory();
        start = end;
    }
    if (csv_fini(parser.get(), record_reader::on_cell, record_reader::on_record_end, &reader) != 0)
        fail(parser.get(), reader, line, true);
    reader.throw_if_out_of_memory();
    return std::move(reader.records);
}

void csv_writer::cell(std::optional<std::string_view> text) {
    if (!firstCell_) text_ += ',';
    firstCell_ = false;
    if (!text) return;
    if (!must_quote(*text)) {
        text_ += *text;
        return;
    }
    const std::size_t at = text_.size();
    text_.resize(at + csv_write(nullptr, 0, text->data(), text->size()));
    csv_write(text_.data() + at, text_.size() - at, text->data(), text->size());
}

void csv_writer::end_record() {
    text_ += "\r\n";
    firstCell_ = true;
}
