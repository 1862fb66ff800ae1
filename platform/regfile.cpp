#include "platform/regfile.h"

#include <locale.h>
#include <wctype.h>

#include <climits>
#include <utility>

#include "platform/ansi.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace regfile {
namespace {

constexpr std::u16string_view unicode_header = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view ansi_header = u"REGEDIT4";

bool is_blank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\r'; }

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

int hex_digit(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
    return -1;
}

// One to maxDigits hex digits and nothing else.
std::optional<DWORD> try_parse_hex(std::u16string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    DWORD number = 0;
    for (char16_t unit : digits) {
        int digit = hex_digit(unit);
        if (digit < 0) return std::nullopt;
        number = number << 4 | static_cast<DWORD>(digit);
    }
    return number;
}

// Text that is no UTF-8 is refused rather than read with replacement
// characters; the ANSI pages decode every byte, as Windows does.
std::optional<std::u16string> try_widen(UINT codePage, std::string_view bytes) {
    if (codePage != CP_UTF8) return to_wide(bytes);
    std::u16string text;
    if (!try_from_utf8(bytes, text, ill_formed::refuse)) return std::nullopt;
    return text;
}

// The whole file as UTF-16, without its byte order mark. Without a mark the
// first line tells the encoding, both headers being ASCII.
std::optional<std::u16string> try_decode(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) return std::nullopt;
        std::u16string text(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | static_cast<BYTE>(bytes[2 * i + 1]) << 8);
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) return try_widen(CP_UTF8, bytes.substr(3));
    if (bytes.starts_with("REGEDIT4")) return try_widen(CP_ACP, bytes);
    return try_widen(CP_UTF8, bytes);
}

std::vector<BYTE> to_utf16le(std::u16string_view text) {
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

// A quoted string's text, given what follows its opening quote, and the rest
// of the line after its closing quote.
std::optional<std::pair<std::u16string, std::u16string_view>> try_read_quoted(std::u16string_view line) {
    std::u16string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') return std::pair(std::move(text), line.substr(i + 1));
        if (line[i] == u'\\') {
            if (++i == line.size() || (line[i] != u'\\' && line[i] != u'"')) return std::nullopt;
        }
        text.push_back(line[i]);
    }
    return std::nullopt;
}

// Comma-separated bytes of one or two hex digits each; an empty list is no
// data.
std::optional<std::vector<BYTE>> try_parse_byte_list(std::u16string_view list) {
    std::vector<BYTE> bytes;
    if (trim(list).empty()) return bytes;
    for (;;) {
        std::size_t comma = list.find(u',');
        std::optional<DWORD> byte = try_parse_hex(trim(list.substr(0, comma)), 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(*byte));
        if (comma == std::u16string_view::npos) return bytes;
        list.remove_prefix(comma + 1);
    }
}

class parser {
public:
    explicit parser(std::vector<std::u16string_view> lines) : lines_(std::move(lines)) {
        for (std::u16string_view root : root_names) {
            if (!root.empty()) keys_.try_emplace(std::u16string(root));
        }
    }

    bool try_run() {
        if (lines_.front() == unicode_header)
            unicode_ = true;
        else if (lines_.front() != ansi_header)
            return false;
        next_ = 1;
        while (next_ < lines_.size()) {
            std::u16string_view line = lines_[next_++];
            if (line.empty() || line.front() == u';') continue;
            bool read = false;
            if (line.front() == u'[')
                read = try_read_key_line(line.substr(1));
            else if (line.front() == u'"' || line.front() == u'@')
                read = try_read_value_line(line);
            if (!read) return false;
        }
        return true;
    }

    key_map take_keys() { return std::move(keys_); }

private:
    // After the '['. Listing a key creates its ancestors too.
    bool try_read_key_line(std::u16string_view line) {
        if (!line.ends_with(u']')) return false;
        line.remove_suffix(1);
        bool deleting = line.starts_with(u'-');
        if (deleting) line.remove_prefix(1);
        std::u16string path = fold_case(line);
        std::size_t rootEnd = path.find(u'\\');
        if (!is_root(std::u16string_view(path).substr(0, rootEnd))) return false;
        if (path.ends_with(u'\\') || path.find(u"\\\\") != std::u16string::npos) return false;
        current_ = nullptr;
        if (deleting) {
            if (rootEnd == std::u16string::npos) return false;
            erase_tree(path);
            return true;
        }
        for (std::size_t separator = path.find(u'\\'); separator != std::u16string::npos;
             separator = path.find(u'\\', separator + 1)) {
            keys_.try_emplace(path.substr(0, separator));
        }
        current_ = &keys_[path];
        return true;
    }

    static bool is_root(std::u16string_view name) {
        for (std::u16string_view root : root_names) {
            if (!root.empty() && name == root) return true;
        }
        return false;
    }

    // The key and its subkeys. Keys such as "A B" sort between "A" and
    // "A\B", so the subkeys are a range of their own.
    void erase_tree(const std::u16string& path) {
        keys_.erase(path);
        std::u16string prefix = path + u'\\';
        auto first = keys_.lower_bound(prefix);
        auto last = first;
        while (last != keys_.end() && last->first.starts_with(prefix)) ++last;
        keys_.erase(first, last);
    }

    bool try_read_value_line(std::u16string_view line) {
        if (current_ == nullptr) return false;
        std::u16string name;
        std::u16string_view rest = line.substr(1);
        if (line.front() == u'"') {
            auto quoted = try_read_quoted(rest);
            if (!quoted) return false;
            name = std::move(quoted->first);
            rest = quoted->second;
        }
        rest = trim(rest);
        if (!rest.starts_with(u'=')) return false;
        rest = trim(rest.substr(1));
        if (rest == u"-") {
            current_->erase(fold_case(name));
            return true;
        }
        std::optional<value> data = try_read_data(rest);
        if (!data) return false;
        (*current_)[fold_case(name)] = std::move(*data);
        return true;
    }

    std::optional<value> try_read_data(std::u16string_view text) {
        if (text.starts_with(u'"')) {
            auto quoted = try_read_quoted(text.substr(1));
            if (!quoted || !trim(quoted->second).empty()) return std::nullopt;
            quoted->first.push_back(u'\0');
            return value{REG_SZ, to_utf16le(quoted->first)};
        }
        if (text.starts_with(u"dword:")) {
            std::optional<DWORD> number = try_parse_hex(text.substr(6), 8);
            if (!number) return std::nullopt;
            return value{REG_DWORD,
                         {static_cast<BYTE>(*number), static_cast<BYTE>(*number >> 8), static_cast<BYTE>(*number >> 16),
                          static_cast<BYTE>(*number >> 24)}};
        }
        if (!text.starts_with(u"hex")) return std::nullopt;
        text.remove_prefix(3);
        DWORD type = REG_BINARY;
        if (text.starts_with(u'(')) {
            std::size_t close = text.find(u')');
            if (close == std::u16string_view::npos) return std::nullopt;
            std::optional<DWORD> number = try_parse_hex(text.substr(1, close - 1), 8);
            if (!number) return std::nullopt;
            type = *number;
            text.remove_prefix(close + 1);
        }
        if (!text.starts_with(u':')) return std::nullopt;
        std::optional<std::vector<BYTE>> bytes = try_read_byte_list(text.substr(1));
        if (!bytes) return std::nullopt;
        if (!is_string_type(type)) return value{type, std::move(*bytes)};
        if (unicode_) {
            if (bytes->size() % 2 != 0) return std::nullopt;
            return value{type, std::move(*bytes)};
        }
        std::optional<std::u16string> text16 =
            try_widen(CP_ACP, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        if (!text16) return std::nullopt;
        return value{type, to_utf16le(*text16)};
    }

    // A list whose line ends in a backslash goes on at the next line.
    std::optional<std::vector<BYTE>> try_read_byte_list(std::u16string_view first) {
        std::u16string list(first);
        while (list.ends_with(u'\\')) {
            list.pop_back();
            if (next_ == lines_.size()) return std::nullopt;
            list += lines_[next_++];
        }
        return try_parse_byte_list(list);
    }

    std::vector<std::u16string_view> lines_;
    std::size_t next_ = 0;
    bool unicode_ = false;
    key_map keys_;
    // Where value lines go; null before the first key line and after a
    // deletion line.
    value_map* current_ = nullptr;
};

std::vector<std::u16string_view> split_lines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    for (;;) {
        std::size_t end = text.find(u'\n');
        lines.push_back(trim(text.substr(0, end)));
        if (end == std::u16string_view::npos) return lines;
        text.remove_prefix(end + 1);
    }
}

locale_t upper_case_locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

std::u16string fold_case(std::u16string_view name) {
    std::u16string folded(name);
    locale_t locale = upper_case_locale();
    for (char16_t& unit : folded) {
        if (unit < 0x80) {
            if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - (u'a' - u'A'));
            continue;
        }
        // Surrogate halves stay as they are, as in Windows' own table.
        if (locale == nullptr || (unit >= 0xD800 && unit <= 0xDFFF)) continue;
        wint_t upper = towupper_l(unit, locale);
        if (upper <= 0xFFFF) unit = static_cast<char16_t>(upper);
    }
    return folded;
}

std::optional<key_map> try_parse(std::string_view fileBytes) {
    std::optional<std::u16string> text = try_decode(fileBytes);
    if (!text) return std::nullopt;
    parser reader(split_lines(*text));
    if (!reader.try_run()) return std::nullopt;
    return reader.take_keys();
}

}  // namespace regfile
