#include <gtest/gtest.h>

#include <string>

#include "tests/platform/registry_fixture.h"

using namespace std::string_literals;

namespace {

constexpr const char* kUnicodeHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

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

    queried_value languages = query_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", "Languages");
    EXPECT_EQ(languages.status, ERROR_SUCCESS);
    EXPECT_EQ(languages.type, REG_MULTI_SZ);
    EXPECT_EQ(languages.data, "Eng\0Fran\347ais\0\0"s);
    EXPECT_EQ(languages.data.size(), 14u);

    queried_value templates = query_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", "Templates");
    EXPECT_EQ(templates.type, REG_EXPAND_SZ);
    EXPECT_EQ(templates.data, "%A%\\x\0"s);

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", "Name").data, "\307a\0"s);
}

TEST_F(RegFile, ReadsRegedit4StringsAsAnsiBytes) {
    use_registry(
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n"
        "\"Name\"=\"Caf\xE9\"\r\n"
        "\"Path\"=hex(2):43,3a,5c,e9,00\r\n"
        "\"List\"=hex(7):61,00,e9,00,00\r\n");

    queried_value name = query_value(HKEY_LOCAL_MACHINE, "Software\\CAF\xC9", "Name");
    EXPECT_EQ(name.type, REG_SZ);
    EXPECT_EQ(name.data, "Caf\xE9\0"s);
    queried_value path = query_value(HKEY_LOCAL_MACHINE, "Software\\CAF\xC9", "Path");
    EXPECT_EQ(path.type, REG_EXPAND_SZ);
    EXPECT_EQ(path.data, "C:\\\xE9\0"s);
    queried_value list = query_value(HKEY_LOCAL_MACHINE, "Software\\CAF\xC9", "List");
    EXPECT_EQ(list.type, REG_MULTI_SZ);
    EXPECT_EQ(list.data, "a\0\xE9\0\0"s);
}

struct utf8_layout {
    const char* name;
    const char* byteOrderMark;
    const char* lineEnd;
};

class RegFileUtf8 : public RegistryFileTest, public ::testing::WithParamInterface<utf8_layout> {};

TEST_P(RegFileUtf8, ReadsVersion5TextAsUtf8) {
    const utf8_layout& layout = GetParam();
    std::string end = layout.lineEnd;
    use_registry(std::string(layout.byteOrderMark) + "Windows Registry Editor Version 5.00" + end + end +
                 "[HKEY_LOCAL_MACHINE\\Software\\Caf\xC3\xA9]" + end + "\"Name\"=\"Caf\xC3\xA9\"" + end +
                 "\"Path\"=hex(2):e9,00,00,00" + end);

    queried_value name = query_value(HKEY_LOCAL_MACHINE, "Software\\CAF\xC9", "Name");
    EXPECT_EQ(name.status, ERROR_SUCCESS);
    EXPECT_EQ(name.data, "Caf\xE9\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software\\CAF\xC9", "Path").data, "\xE9\0"s);
}

INSTANTIATE_TEST_SUITE_P(Layouts, RegFileUtf8,
                         ::testing::Values(utf8_layout{"WithoutMarkCrlf", "", "\r\n"},
                                           utf8_layout{"WithoutMarkLf", "", "\n"},
                                           utf8_layout{"WithMarkCrlf", "\xEF\xBB\xBF", "\r\n"},
                                           utf8_layout{"WithMarkLf", "\xEF\xBB\xBF", "\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegFile, UnescapesBackslashAndQuoteInNamesAndText) {
    use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n"s +
                 "\"say \\\"hi\\\"\"=\"c:\\\\dir\\\\ \\\"x\\\"\"\r\n");

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", "say \"hi\"").data, "c:\\dir\\ \"x\"\0"s);
}

TEST_F(RegFile, ReadsDefaultValueUnderNullAndEmptyName) {
    use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n@=\"default\"\r\n"s);

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", nullptr).data, "default\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", "").data, "default\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", "@").status, ERROR_FILE_NOT_FOUND);
}

struct typed_case {
    const char* name;
    const char* line;
    DWORD type;
    std::string data;
};

class RegFileTypes : public RegistryFileTest, public ::testing::WithParamInterface<typed_case> {};

TEST_P(RegFileTypes, GivesTypeAndLittleEndianBytes) {
    use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n"s + GetParam().line + "\r\n");

    queried_value value = query_value(HKEY_LOCAL_MACHINE, "Software", "v");
    EXPECT_EQ(value.status, ERROR_SUCCESS);
    EXPECT_EQ(value.type, GetParam().type);
    EXPECT_EQ(value.data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegFileTypes,
    ::testing::Values(typed_case{"DwordTen", "\"v\"=dword:0000000a", REG_DWORD, "\x0A\0\0\0"s},
                      typed_case{"DwordHighBits", "\"v\"=dword:FFFFFFFE", REG_DWORD, "\xFE\xFF\xFF\xFF"s},
                      typed_case{"DwordShortForm", "\"v\"=dword:1", REG_DWORD, "\x01\0\0\0"s},
                      typed_case{"Binary", "\"v\"=hex:00,ff,10", REG_BINARY, "\0\xFF\x10"s},
                      typed_case{"EmptyBinary", "\"v\"=hex:", REG_BINARY, ""},
                      typed_case{"DwordAsHex", "\"v\"=hex(4):0a,00,00,00", REG_DWORD, "\x0A\0\0\0"s},
                      typed_case{"Qword", "\"v\"=hex(b):01,00,00,00,00,00,00,80", 11, "\x01\0\0\0\0\0\0\x80"s},
                      typed_case{"NoneType", "\"v\"=hex(0):", REG_NONE, ""},
                      typed_case{"EmptyText", "\"v\"=\"\"", REG_SZ, "\0"s},
                      typed_case{"SpacesAroundEquals", "\"v\" = \"x\"", REG_SZ, "x\0"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegFile, SkipsCommentsAndBlankLines) {
    use_registry(kUnicodeHeader + "; exported\r\n\r\n   \r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"s +
                 "  ; \"a\"=\"comment\"\r\n\"b\"=\"value\"\r\n\r\n");

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", "a").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software", "b").data, "value\0"s);
}

TEST_F(RegFile, ComparesNonAsciiNamesWithoutCase) {
    use_registry(
        utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"[hkey_local_machine\\Software\\Fran\u00e7ais]\r\n"
                         u"\"\u00c9t\u00e9\"=\"oui\"\r\n"));

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\FRAN\307AIS", "\xC9T\xC9").data, "oui\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "software\\fran\347ais", "\xE9t\xE9").data, "oui\0"s);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software\\Francais"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFile, DeeperKeyMakesItsAncestorsExist) {
    use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n"s);

    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "A"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "A\\B"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "A\\B\\C"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "A\\C"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "B"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(HKEY_CURRENT_USER, "A"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFile, MergesTwoSectionsOfOneKeyLaterValueWinning) {
    use_registry(kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n"s +
                 "[HKEY_LOCAL_MACHINE\\Other]\r\n\"b\"=\"x\"\r\n" +
                 "[HKEY_LOCAL_MACHINE\\k]\r\n\"B\"=\"3\"\r\n\"c\"=\"4\"\r\n");

    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K", "a").data, "1\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K", "b").data, "3\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K", "c").data, "4\0"s);
}

TEST_F(RegFile, DeletionLinesRemoveKeyTreeAndValue) {
    use_registry(kUnicodeHeader +
                 "[HKEY_LOCAL_MACHINE\\K\\A\\B]\r\n[HKEY_LOCAL_MACHINE\\K\\A B]\r\n[HKEY_LOCAL_MACHINE\\K\\AB]\r\n"s +
                 "[HKEY_LOCAL_MACHINE\\K]\r\n\"keep\"=\"1\"\r\n\"drop\"=\"2\"\r\n\"drop\"=-\r\n" +
                 "[-HKEY_LOCAL_MACHINE\\K\\A]\r\n" + "[-HKEY_LOCAL_MACHINE\\K\\Missing]\r\n" +
                 "[HKEY_LOCAL_MACHINE\\K\\Gone\\Back]\r\n[-hkey_local_machine\\k\\gone]\r\n" +
                 "[HKEY_LOCAL_MACHINE\\K\\Gone]\r\n\"again\"=\"3\"\r\n");

    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "K\\A"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "K\\A\\B"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "K\\A B"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "K\\AB"), ERROR_SUCCESS);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K", "keep").data, "1\0"s);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K", "drop").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "K\\Gone\\Back"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "K\\Gone", "again").data, "3\0"s);
}

struct malformed_case {
    const char* name;
    std::string bytes;
};

class RegFileMalformed : public RegistryFileTest, public ::testing::WithParamInterface<malformed_case> {};

TEST_P(RegFileMalformed, FailsEveryOpenWithBadDatabaseAndNullHandle) {
    use_registry(GetParam().bytes);

    HKEY key = reinterpret_cast<HKEY>(std::uintptr_t{0x1234});
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_BADDB);
    EXPECT_EQ(open_status(HKEY_CURRENT_USER, "Elsewhere"), ERROR_BADDB);
}

std::string in_key(const char* line) {
    return kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n"s + line + "\r\n[HKEY_CURRENT_USER\\Elsewhere]\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegFileMalformed,
    ::testing::Values(
        malformed_case{"ValueBeforeAnyKey", kUnicodeHeader + "\"a\"=\"b\"\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"s},
        malformed_case{"ValueAfterDeletion",
                       kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n[-HKEY_LOCAL_MACHINE\\X]\r\n\"a\"=\"b\""s},
        malformed_case{"UnterminatedText", in_key("\"a\"=\"b")}, malformed_case{"UnterminatedName", in_key("\"a=1")},
        malformed_case{"UnknownEscape", in_key("\"a\"=\"c:\\dir\"")},
        malformed_case{"TextAfterClosingQuote", in_key("\"a\"=\"b\" c")},
        malformed_case{"MissingEquals", in_key("\"a\" \"b\"")},
        malformed_case{"UnknownDataKind", in_key("\"a\"=qword:1")},
        malformed_case{"BadHexDigit", in_key("\"a\"=hex:0g")},
        malformed_case{"ThreeDigitByte", in_key("\"a\"=hex:100")},
        malformed_case{"TrailingComma", in_key("\"a\"=hex:01,")},
        malformed_case{"UnclosedHexType", in_key("\"a\"=hex(2:41,00")},
        malformed_case{"NineDigitDword", in_key("\"a\"=dword:000000001")},
        malformed_case{"EmptyDword", in_key("\"a\"=dword:")},
        malformed_case{"OddUtf16Bytes", in_key("\"a\"=hex(2):41,00,00")},
        malformed_case{"ContinuationAtEndOfFile",
                       kUnicodeHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n\"a\"=hex:01,\\"s},
        malformed_case{"StrayLine", in_key("Software=1")},
        malformed_case{"KeyWithoutBracket", in_key("[HKEY_LOCAL_MACHINE\\Other")},
        malformed_case{"UnknownRoot", in_key("[HKEY_SOMEWHERE\\Other]")},
        malformed_case{"EmptyKeyName", in_key("[HKEY_LOCAL_MACHINE\\\\Other]")},
        malformed_case{"TrailingBackslashInKey", in_key("[HKEY_LOCAL_MACHINE\\Other\\]")},
        malformed_case{"DeletedRoot", in_key("[-HKEY_LOCAL_MACHINE]")},
        malformed_case{"UnknownFirstLine",
                       "Windows Registry Editor Version 4.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"},
        malformed_case{"EmptyFile", ""}, malformed_case{"InvalidUtf8", in_key("\"a\"=\"\xC3\x28\"")},
        malformed_case{
            "OddUtf16File",
            utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n") + "x"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
