#include "host/plain_xml_text.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <optional>

#include "host/command_error.h"
#include "platform/ansi.h"
#include "platform/codepage.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf8 = "UTF-8";

struct known_encoding {
    std::string_view name;
    UINT page;
};

constexpr known_encoding kEncodings[] = {
    {kUtf8, CP_UTF8},       {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
    {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255}, {"windows-1256", 1256},
    {"windows-1257", 1257}, {"windows-1258", 1258}, {"Shift_JIS", 932},     {"GBK", 936},
    {"EUC-KR", 949},        {"Big5", 950},
};

bool is_xml_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The encoding that the declaration at the very start names; nothing when
// there is no declaration, or it names none.
std::optional<std::string_view> declared_encoding(std::string_view text) {
    if (!text.starts_with("<?xml") || text.size() < 6 || !is_xml_space(text[5])) return std::nullopt;
    std::string_view declaration = text.substr(0, text.find("?>"));
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return std::nullopt;
    at += 8;
    while (at < declaration.size() && is_xml_space(declaration[at])) ++at;
    if (at == declaration.size() || declaration[at] != '=') return std::nullopt;
    ++at;
    while (at < declaration.size() && is_xml_space(declaration[at])) ++at;
    if (at == declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return std::nullopt;
    const std::size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos) return std::nullopt;
    return declaration.substr(at + 1, end - at - 1);
}

std::size_t line_of(std::string_view text, std::size_t offset) {
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n')) + 1;
}

std::size_t first_byte_above_ascii(std::string_view text) {
    return static_cast<std::size_t>(
        std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; }) -
        text.begin());
}

// Appends one line, decoded; false when its bytes are no text of the page.
// A line feed is never part of a character in these encodings, so a text
// decodes line by line as it does whole.
bool append_decoded(std::string_view line, UINT page, std::u16string& out) {
    if (line.empty()) return true;
    if (line.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int size = static_cast<int>(line.size());
    const int count = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, line.data(), size, nullptr, 0);
    if (count == 0) return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(count));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, line.data(), size,
                               reinterpret_cast<LPWSTR>(out.data() + start), count) == count;
}

}  // namespace

std::u16string DecodePlainXml(std::string_view bytes, const std::string& path) {
    const bool marked = bytes.starts_with(kByteOrderMark);
    std::string_view text = marked ? bytes.substr(kByteOrderMark.size()) : bytes;
    const std::string_view declared = declared_encoding(text).value_or(kUtf8);
    const known_encoding* encoding =
        std::find_if(std::begin(kEncodings), std::end(kEncodings),
                     [&](const known_encoding& known) { return equals_ignoring_case(known.name, declared); });
    if (encoding == std::end(kEncodings))
        throw CommandError(path + ": declares the encoding \"" + std::string(declared) +
                           "\", which xmlxsl does not read; save it as UTF-8, or in one of windows-1250 to "
                           "windows-1258, Shift_JIS, GBK, EUC-KR and Big5, and name that in its declaration");
    const std::string name(encoding->name);

    if (encoding->page != CP_UTF8) {
        const std::string advice = "; declare encoding=\"UTF-8\", or save the file in " + name;
        if (marked)
            throw CommandError(path + ": begins with a UTF-8 byte order mark, but its declaration says " + name +
                               advice);
        std::u16string ignored;
        const std::size_t high = first_byte_above_ascii(text);
        if (high < text.size() && try_from_utf8(text, ignored, ill_formed::refuse))
            // Text of the declared page can form UTF-8 by chance ("ß€" does),
            // so the line tells both ways out.
            throw CommandError(path + ": line " + std::to_string(line_of(text, high)) +
                               " reads as UTF-8 text, but its declaration says " + name +
                               "; if the file is UTF-8, declare encoding=\"UTF-8\"; if it is " + name +
                               ", save it as UTF-8 and declare that");
    }

    std::u16string decoded;
    decoded.reserve(text.size());
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        if (!append_decoded(text.substr(start, end - start), encoding->page, decoded))
            throw CommandError(path + ": line " + std::to_string(line_of(text, start)) + " is not " + name +
                               " text, as its declaration says; save the file in " + name +
                               ", or declare the encoding it is saved in");
        start = end;
    }
    return decoded;
}
