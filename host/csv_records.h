#pragma once

// RFC 4180 text, read and written through libcsv. A cell is a text or
// nothing: an unquoted empty cell reads as nothing and a quoted one ("") as
// the empty text, and the writer keeps the two apart the same way. Every
// byte of a cell is its own: blanks around it are kept, and line breaks
// inside quotes stay as they are (CR LF, LF or CR). A record ends at CR LF,
// LF or CR; blank lines between records are skipped.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord {
    // The line of the text on which the record starts, from 1.
    std::size_t line;
    std::vector<std::optional<std::string>> cells;
};

// Text that is no CSV, with the line and the column (from 1) where it shows.
class CsvSyntaxError : public std::runtime_error {
public:
    CsvSyntaxError(std::size_t line, std::size_t column, const std::string& what)
        : std::runtime_error(what), line_(line), column_(column) {}

    std::size_t line() const noexcept { return line_; }
    std::size_t column() const noexcept { return column_; }

private:
    std::size_t line_, column_;
};

// Every record of the text. Throws CsvSyntaxError for a quote inside a cell
// that does not begin with one, text after a closing quote, and a quoted cell
// that the text ends in; std::bad_alloc.
std::vector<CsvRecord> ReadCsvRecords(std::string_view text);

// CSV text, written a cell at a time, each record ended by CR LF. A cell is
// quoted when it must be: empty, holding a comma, a quote or a line break,
// or beginning or ending with a blank, which a reader might trim.
class csv_writer {
public:
    // Nothing writes an unquoted empty cell.
    void cell(std::optional<std::string_view> text);
    void end_record();

    std::string& text() noexcept { return text_; }

private:
    std::string text_;
    bool firstCell_ = true;
};
