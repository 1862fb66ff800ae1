#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "tests/platform/registry_fixture.h"

using namespace std::string_literals;

namespace {

const std::string kUnicodeHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// The text as the registry editor writes it: UTF-16LE after a byte order mark.
std::string utf16le_with_bom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) bytes.append({static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)});
    return bytes;
}

queried_value machine_value(const char* subKey, const char* name) {
    return query_value(HKEY_LOCAL_MACHINE, subKey, name);
}

using RegFile = RegistryFileTest;

TEST_F(RegFile, ReadsUtf16MultiStringAcrossContinuationLinesAndExpandString) {
    use_registry(
        utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n"
                         u"\r\n"
                         u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\Product]\r\n"
                         u"\"Languages\"=hex(7):45,00,6e,00,67,00,00,00,46,00,72,00,61,00,6e,00,e7,00,\\\r\n"
                         u"  61,00,69,00,73,00,00,00,\\\r\n"
                         u"  00,00\r\n"
                         u"\"Templates\"=hex(2):25,00,41,00,25,00,5c,00,78,00,00,00\r\n"
                         u"\"Name\"=\"\u00c7a\"\r\n"));

    EXPECT_EQ(machine_value("SOFTWARE\\Maker\\Product", "Languages"), found(REG_MULTI_SZ, "Eng\0Fran\347ais\0\0"s));
    EXPECT_EQ(machine_value("SOFTWARE\\Maker\\Product", "Templates"), found(REG_EXPAND_SZ, "%A%\\x\0"s));
    EXPECT_EQ(machine_value("SOFTWARE\\Maker\\Product", "Name"), found(REG_SZ, "\307a\0"s));
}

TEST_F(RegFile, ReadsRegedit4StringsAsAnsiBytes) {
    use_registry(
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n"
        "\"Name\"=\"Caf\xE9\"\r\n"
        "\"Path\"=hex(2):43,3a,5c,e9,00\r\n"
        "\"List\"=hex(7):61,00,e9,00,00\r\n");

    EXPECT_EQ(machine_value("Software\\CAF\xC9", "Name"), found(REG_SZ, "Caf\xE9\0"s));
    EXPECT_EQ(machine_value("Software\\CAF\xC9", "Path"), found(REG_EXPAND_SZ, "C:\\\xE9\0"s));
    EXPECT_EQ(machine_value("Software\\CAF\xC9", "List"), found(REG_MULTI_SZ, "a\0\xE9\0\0"s));
}

TEST_F(RegFile, ReadsVersion5TextAsUtf8WithOrWithoutMarkAndCarriageReturns) {
    for (std::string mark : {"", "\xEF\xBB\xBF"}) {
        for (std::string end : {"\r\n", "\n"}) {
            use_registry(mark + "Windows Registry Editor Version 5.00" + end + end +
                         "[HKEY_LOCAL_MACHINE\\Software\\Caf\xC3\xA9]" + end + "\"Name\"=\"Caf\xC3\xA9\"" + end +
                         "\"Path\"=hex(2):e9,00,00,00" + end);
            EXPECT_EQ(machine_value("Software\\CAF\xC9", "Name").data, "Caf\xE9\0"s) << mark.size() << end.size();
            EXPECT_EQ(machine_value("Software\\CAF\xC9", "Path").data, "\xE9\0"s) << mark.size() << end.size();
        }
    }
}

TEST_F(RegFile, SkipsCommentsUnescapesAndNamesTheDefaultValueWithAt) {
    use_registry(kUnicodeHeader + "; exported\r\n\r\n   \r\n[HKEY_LOCAL_MACHINE\\Software]\r\n" +
                 "  ; \"a\"=\"comment\"\r\n\"say \\\"hi\\\"\"=\"c:\\\\dir\\\\ \\\"x\\\"\"\r\n@=\"default\"\r\n\r\n");

    EXPECT_EQ(machine_value("Software", "a").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(machine_value("Software", "say \"hi\"").data, "c:\\dir\\ \"x\"\0"s);
    EXPECT_EQ(machine_value("Software", nullptr).data, "default\0"s);
    EXPECT_EQ(machine_value("Software", "").data, "default\0"s);
    EXPECT_EQ(machine_value("Software", "@").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFile, GivesEachTypeAndLittleEndianBytes) {
    const std::tuple<const char*, DWORD, std::string> lines[] = {
        {"\"v\"=dword:0000000a", REG_DWORD, "\x0A\0\0\0"s},
        {"\"v\"=dword:FFFFFFFE", REG_DWORD, "\xFE\xFF\xFF\xFF"s},
        {"\"v\"=dword:1", REG_DWORD, "\x01\0\0\0"s},
        {"\"v\"=hex:00,ff,10", REG_BINARY, "\0\xFF\x10"s},
        {"\"v\"=hex:", REG_BINARY, ""},
        {"\"v\"=hex(4):0a,00,00,00", REG_DWORD, "\x0A\0\0\0"s},
        {"\"v\"=hex(b):01,00,00,00,00,00,00,80", 11, "\x01\0\0\0\0\0\0\x80"s},
        {"\"v\"=hex(0):", REG_NONE, ""},
        {"\"v\"=\"\"", REG_SZ, "\0"s},
        {"\"v\" = \"x\"", REG_SZ, "x\0"s}};
    for (const auto& [line, type, data] : lines) {
        use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n" + line + "\r\n");
        EXPECT_EQ(machine_value("Software", "v"), found(type, data)) << line;
    }
}

TEST_F(RegFile, ComparesNonAsciiNamesWithoutCase) {
    use_registry(
        utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"[hkey_local_machine\\Software\\Fran\u00e7ais]\r\n"
                         u"\"\u00c9t\u00e9\"=\"oui\"\r\n"));

    EXPECT_EQ(machine_value("SOFTWARE\\FRAN\307AIS", "\xC9T\xC9").data, "oui\0"s);
    EXPECT_EQ(machine_value("software\\fran\347ais", "\xE9t\xE9").data, "oui\0"s);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software\\Francais"), ERROR_FILE_NOT_FOUND);
}

// Ancestors of a deeper key exist; two sections of one key merge, the later
// value winning; deletion lines remove a key's whole tree or one value.
TEST_F(RegFile, BuildsTheTreeSectionBySection) {
    use_registry(
        kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n" +
        "[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"drop\"=\"2\"\r\n\"drop\"=-\r\n" +
        "[HKEY_LOCAL_MACHINE\\Other]\r\n\"b\"=\"x\"\r\n[HKEY_LOCAL_MACHINE\\k]\r\n\"B\"=\"3\"\r\n\"c\"=\"4\"\r\n" +
        "[HKEY_LOCAL_MACHINE\\K\\A\\B]\r\n[HKEY_LOCAL_MACHINE\\K\\A B]\r\n[HKEY_LOCAL_MACHINE\\K\\AB]\r\n" +
        "[-HKEY_LOCAL_MACHINE\\K\\A]\r\n[-HKEY_LOCAL_MACHINE\\K\\Missing]\r\n" +
        "[HKEY_LOCAL_MACHINE\\K\\Gone\\Back]\r\n[-hkey_local_machine\\k\\gone]\r\n" +
        "[HKEY_LOCAL_MACHINE\\K\\Gone]\r\n\"again\"=\"3\"\r\n");

    for (const char* present : {"A", "A\\B", "A\\B\\C", "K\\A B", "K\\AB"})
        EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, present), ERROR_SUCCESS) << present;
    for (const char* absent : {"A\\C", "B", "K\\A", "K\\A\\B", "K\\Gone\\Back"})
        EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, absent), ERROR_FILE_NOT_FOUND) << absent;
    EXPECT_EQ(open_status(HKEY_CURRENT_USER, "A"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(machine_value("K", "a").data, "1\0"s);
    EXPECT_EQ(machine_value("K", "b").data, "3\0"s);
    EXPECT_EQ(machine_value("K", "c").data, "4\0"s);
    EXPECT_EQ(machine_value("K", "drop").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(machine_value("K\\Gone", "again").data, "3\0"s);
}

std::string in_key(const char* line) {
    return kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n" + line + "\r\n[HKEY_CURRENT_USER\\Elsewhere]\r\n";
}

// One malformed line fails every open, of any root, and stores a null handle.
TEST_F(RegFile, RefusesAMalformedFileWithBadDatabase) {
    const std::pair<const char*, std::string> files[] = {
        {"ValueBeforeAnyKey", kUnicodeHeader + "\"a\"=\"b\"\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"},
        {"ValueAfterDeletion",
         kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n[-HKEY_LOCAL_MACHINE\\X]\r\n\"a\"=\"b\""},
        {"UnterminatedText", in_key("\"a\"=\"b")},
        {"UnterminatedName", in_key("\"a=1")},
        {"UnknownEscape", in_key("\"a\"=\"c:\\dir\"")},
        {"TextAfterClosingQuote", in_key("\"a\"=\"b\" c")},
        {"MissingEquals", in_key("\"a\" \"b\"")},
        {"UnknownDataKind", in_key("\"a\"=qword:1")},
        {"BadHexDigit", in_key("\"a\"=hex:0g")},
        {"ThreeDigitByte", in_key("\"a\"=hex:100")},
        {"TrailingComma", in_key("\"a\"=hex:01,")},
        {"UnclosedHexType", in_key("\"a\"=hex(2:41,00")},
        {"NineDigitDword", in_key("\"a\"=dword:000000001")},
        {"EmptyDword", in_key("\"a\"=dword:")},
        {"OddUtf16Bytes", in_key("\"a\"=hex(2):41,00,00")},
        {"ContinuationAtEndOfFile", kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n\"a\"=hex:01,\\"},
        {"StrayLine", in_key("Software=1")},
        {"KeyWithoutBracket", in_key("[HKEY_LOCAL_MACHINE\\Other")},
        {"UnknownRoot", in_key("[HKEY_SOMEWHERE\\Other]")},
        {"EmptyKeyName", in_key("[HKEY_LOCAL_MACHINE\\\\Other]")},
        {"TrailingBackslashInKey", in_key("[HKEY_LOCAL_MACHINE\\Other\\]")},
        {"DeletedRoot", in_key("[-HKEY_LOCAL_MACHINE]")},
        {"UnknownFirstLine", "Windows Registry Editor Version 4.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"},
        {"EmptyFile", ""},
        {"InvalidUtf8", in_key("\"a\"=\"\xC3\x28\"")},
        {"OddUtf16File",
         utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n") + "x"}};
    for (const auto& [name, bytes] : files) {
        use_registry(bytes);
        HKEY key = reinterpret_cast<HKEY>(std::uintptr_t{0x1234});
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB) << name;
        EXPECT_EQ(key, nullptr) << name;
        EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_BADDB) << name;
        EXPECT_EQ(open_status(HKEY_CURRENT_USER, "Elsewhere"), ERROR_BADDB) << name;
    }
}

}  // namespace
