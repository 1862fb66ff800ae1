#include "host/input_file.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "host/command_error.h"
#include "interface/scramble.h"
#include "platform/file.h"

namespace {

// As much as the first bytes are looked at: blanks beyond it make a file of
// no known kind.
constexpr UINT kLookAhead = 4096;

enum class input_kind { codeplug_file, scrambled_xml, plain_xml, unknown };

bool is_blank(unsigned char byte) { return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n'; }

// The first byte that is not blank once `key` is taken off, or 0.
unsigned char first_non_blank(std::string_view head, unsigned char key) {
    for (unsigned char byte : head)
        if (!is_blank(byte ^ key)) return byte ^ key;
    return 0;
}

input_kind kind_of(std::string_view head) {
    if (first_non_blank(head, kScramblingKey) == '<') return input_kind::scrambled_xml;
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    switch (first_non_blank(head, 0)) {
        case '{':
            return input_kind::codeplug_file;
        case '<':
            return input_kind::plain_xml;
        default:
            return input_kind::unknown;
    }
}

void refuse_other_kinds(const std::string& path, std::string_view head, input_kind expected) {
    if (head.empty()) throw CommandError(path + ": the file is empty");
    const input_kind found = kind_of(head);
    if (found == expected) return;
    if (expected == input_kind::codeplug_file) {
        if (found == input_kind::scrambled_xml)
            throw CommandError(path + ": a scrambled XML file, not a codeplug file (JSON); import it to get one");
        if (found == input_kind::plain_xml) throw CommandError(path + ": XML text, not a codeplug file (JSON)");
        throw CommandError(path +
                           ": not a codeplug file: it does not begin with \"{\"; it may be damaged, or another "
                           "kind of file");
    }
    if (expected == input_kind::plain_xml) {
        if (found == input_kind::scrambled_xml)
            throw CommandError(path + ": a scrambled XML file already, not plain XML text; show prints its text");
        if (found == input_kind::codeplug_file)
            throw CommandError(path + ": a codeplug file (JSON), not plain XML text; export it to get a scrambled "
                                      "XML file");
        throw CommandError(path + ": not plain XML text: it does not begin with \"<\"; it may be damaged, or "
                                  "another kind of file");
    }
    if (found == input_kind::codeplug_file)
        throw CommandError(path + ": a codeplug file (JSON), not a scrambled XML file; export it to get one");
    if (found == input_kind::plain_xml)
        throw CommandError(path +
                           ": plain XML text, not a scrambled XML file as export writes them; pack it to get one");
    throw CommandError(path +
                       ": not a scrambled XML file: its first bytes are no XML text, scrambled or plain; it may be "
                       "damaged, or another kind of file");
}

[[noreturn]] void fail_to_open(const std::string& path, const CFileException& error) {
    std::error_code ignored;
    switch (error.m_cause) {
        case CFileException::fileNotFound:
            throw CommandError(path + ": no such file");
        case CFileException::sharingViolation:
            throw CommandError(path + ": the file is locked by another program; close it there and try again");
        case CFileException::accessDenied:
            if (std::filesystem::is_directory(path, ignored)) throw CommandError(path + ": a folder, not a file");
            break;
    }
    throw CommandError(path + ": cannot be opened: " + error.what());
}

[[noreturn]] void fail_to_read(const std::string& path, const CFileException& error) {
    throw CommandError(path + ": cannot be read: " + error.what());
}

void open_input(CFile& file, const std::string& path) {
    CFileException error;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &error))
        fail_to_open(path, error);
}

std::string read_head(CFile& file, const std::string& path) {
    std::string head(kLookAhead, '\0');
    try {
        UINT filled = 0;
        while (filled < kLookAhead) {
            UINT count = file.Read(head.data() + filled, kLookAhead - filled);
            if (count == 0) break;
            filled += count;
        }
        head.resize(filled);
    } catch (const CFileException& error) {
        fail_to_read(path, error);
    }
    return head;
}

void read_rest(CFile& file, const std::string& path, std::string& content) {
    try {
        ReadRestAndClose(file, content);
    } catch (const CFileException& error) {
        fail_to_read(path, error);
    }
}

std::string read_whole_input(const std::string& path, input_kind expected) {
    CFile file;
    open_input(file, path);
    std::string content = read_head(file, path);
    refuse_other_kinds(path, content, expected);
    read_rest(file, path, content);
    return content;
}

}  // namespace

std::string ReadCodeplugInput(const std::string& path) { return read_whole_input(path, input_kind::codeplug_file); }

std::string ReadPlainXmlInput(const std::string& path) { return read_whole_input(path, input_kind::plain_xml); }

std::string ReadCsvInput(const std::string& path) {
    CFile file;
    open_input(file, path);
    std::string content = read_head(file, path);
    if (content.empty()) throw CommandError(path + ": the file is empty");
    switch (kind_of(content)) {
        case input_kind::codeplug_file:
            throw CommandError(path +
                               ": a codeplug file (JSON), not a channel list (CSV); give the CSV first, then the "
                               "codeplug");
        case input_kind::scrambled_xml:
            throw CommandError(path +
                               ": a scrambled XML file, not a channel list (CSV); give the CSV first, then the "
                               "codeplug");
        default:
            break;
    }
    read_rest(file, path, content);
    return content;
}

std::uint64_t CheckXmlInput(const std::string& path) {
    CFile file;
    open_input(file, path);
    refuse_other_kinds(path, read_head(file, path), input_kind::scrambled_xml);
    try {
        std::uint64_t size = file.SeekToEnd();
        file.Close();
        return size;
    } catch (const CFileException& error) {
        fail_to_read(path, error);
    }
}

std::string DescribeSize(std::uint64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const char* const units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double size = static_cast<double>(bytes) / 1000;
    int unit = 0;
    while (size >= 999.95 && unit < 5) {
        size /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}
