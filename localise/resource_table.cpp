#include "localise/resource_table.h"

#include <new>
#include <string_view>

#include "report/text_loader.h"

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::string_view kSeparators = " \t";

enum class line_kind { skipped, entry, malformed };

// Trims the line, skips blank and "#" lines, and splits the rest at its first
// run of blanks and tabs. Trimming guarantees that a separator is followed by
// a value that neither is empty nor ends in white space.
line_kind parse_line(const std::string& line, std::string& key, std::string& value) {
    const std::size_t first = line.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos || line[first] == '#') return line_kind::skipped;
    const std::size_t last = line.find_last_not_of(kWhiteSpace);
    const std::size_t keyEnd = line.find_first_of(kSeparators, first);
    if (keyEnd == std::string::npos || keyEnd > last) return line_kind::malformed;
    const std::size_t valueBegin = line.find_first_not_of(kSeparators, keyEnd);
    key.assign(line, first, keyEnd - first);
    value.assign(line, valueBegin, last + 1 - valueBegin);
    return line_kind::entry;
}

}  // namespace

ShortStatus CReader::readFile(const std::string& path) {
    std::string key;
    std::string value;
    return ReadTextFileLines(path, "CReader", [&](const std::string& line) {
        switch (parse_line(line, key, value)) {
            case line_kind::skipped:
                break;
            case line_kind::malformed:
                return kShortResourceLine;
            case line_kind::entry:
                entries_.insert_or_assign(std::move(key), std::move(value));
                break;
        }
        return kShortOk;
    });
}

ShortStatus CReader::getString(const std::string& key, std::string& value) const {
    const auto found = entries_.find(key);
    if (found == entries_.end()) {
        value.clear();
        return kShortResource;
    }
    value = found->second;
    return kShortOk;
}
