#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/unique_hkey.h"
#include "tests/support/temp_folder.h"

using namespace std::string_literals;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// A registry file of each test's own, named by XMLXSL_REGISTRY while the
// test runs. A test that switches the code page gets 1252 back.
class RegFile : public ::testing::Test {
protected:
    void TearDown() override {
        SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
        SetAnsiCodePageForTesting(1252);
    }

    void use_registry(const std::string& bytes, const std::string& name = "test.reg") const {
        WriteFileBytes(folder_.file(name), bytes);
        SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.file(name).c_str());
    }

    TempFolder folder_;
};

using RegOpenKeyExA = RegFile;
using RegQueryValueExA = RegFile;

// The text as the registry editor writes it: UTF-16LE after a byte order mark.
std::string utf16le_with_bom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) bytes.append({static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)});
    return bytes;
}

LSTATUS open_status(const char* subKey, HKEY root = HKEY_LOCAL_MACHINE) {
    unique_hkey key;
    return ::RegOpenKeyExA(root, subKey, 0, KEY_READ, key.put());
}

// Status, type and data of a value, queried as a caller does that asks for
// the size first and passes a buffer of exactly that size.
using queried_value = std::tuple<LSTATUS, DWORD, std::string>;

queried_value query(const char* subKey, const char* name) {
    unique_hkey key;
    DWORD type = 0, size = 0;
    LSTATUS status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, key.put());
    if (status == ERROR_SUCCESS) status = ::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size);
    std::string data(size, '\x7F');
    if (status == ERROR_SUCCESS)
        status = ::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    return {status, type, data.substr(0, size)};
}

queried_value found(DWORD type, std::string data) { return {ERROR_SUCCESS, type, std::move(data)}; }

const queried_value kMissing{ERROR_FILE_NOT_FOUND, 0, ""};

// Names compare without regard to case, non-ASCII letters included: FRANÇAIS
// opens Français, and É names é; C is no Ç.
TEST_F(RegFile, ReadsUtf16ContinuationLinesAndComparesNamesWithoutCase) {
    use_registry(utf16le_with_bom(
        u"Windows Registry Editor Version 5.00\r\n\r\n[hkey_local_machine\\Software\\Fran\u00e7ais]\r\n"
        u"\"Languages\"=hex(7):45,00,6e,00,67,00,00,00,46,00,72,00,61,00,6e,00,e7,00,\\\r\n"
        u"  61,00,69,00,73,00,00,00,\\\r\n  00,00\r\n"
        u"\"Templates\"=hex(2):25,00,41,00,25,00,5c,00,78,00,00,00\r\n\"\u00c9t\u00e9\"=\"\u00c7a\"\r\n"));
    EXPECT_EQ(query("SOFTWARE\\FRAN\307AIS", "Languages"), found(REG_MULTI_SZ, "Eng\0Fran\347ais\0\0"s));
    EXPECT_EQ(query("software\\fran\347ais", "Templates"), found(REG_EXPAND_SZ, "%A%\\x\0"s));
    EXPECT_EQ(query("Software\\Fran\347ais", "\xE9T\xC9"), found(REG_SZ, "\307a\0"s));
    EXPECT_EQ(open_status("Software\\Francais"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFile, ReadsRegedit4StringsAsAnsiBytes) {
    use_registry(
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n\"Name\"=\"Caf\xE9\"\r\n"
        "\"Path\"=hex(2):43,3a,5c,e9,00\r\n\"List\"=hex(7):61,00,e9,\\\r\n  00,00\r\n");
    EXPECT_EQ(query("Software\\CAF\xC9", "Name"), found(REG_SZ, "Caf\xE9\0"s));
    EXPECT_EQ(query("Software\\CAF\xC9", "Path"), found(REG_EXPAND_SZ, "C:\\\xE9\0"s));
    EXPECT_EQ(query("Software\\CAF\xC9", "List"), found(REG_MULTI_SZ, "a\0\xE9\0\0"s));
}

// UTF-8 after a byte order mark, with bare "\n" line ends and spaces around
// one "="; "@" names the
// default value; data comes back in the ANSI code page, the terminator
// counted.
TEST_F(RegFile, ReadsUtf8WithCommentsEscapesAndEachType) {
    use_registry(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n; exported\n\n   \n[HKEY_LOCAL_MACHINE\\Software]\n"
        "  ; \"a\"=\"comment\"\n\"say \\\"hi\\\"\"=\"c:\\\\dir\\\\ \\\"x\\\"\"\n@=\"default\"\n"
        "\"d\"=dword:FFFFFFFE\n\"b\"=hex:00,ff,10\n\"e\"=hex:\n\"s\" = \"\"\n\"j\"=\"\xE6\x97\xA5\xE6\x9C\xAC\"\n\n");
    EXPECT_EQ(query("Software", "a"), kMissing);
    EXPECT_EQ(query("Software", "say \"hi\""), found(REG_SZ, "c:\\dir\\ \"x\"\0"s));
    EXPECT_EQ(query("Software", nullptr), found(REG_SZ, "default\0"s));
    EXPECT_EQ(query("Software", ""), found(REG_SZ, "default\0"s));
    EXPECT_EQ(query("Software", "@"), kMissing);
    EXPECT_EQ(query("Software", "d"), found(REG_DWORD, "\xFE\xFF\xFF\xFF"s));
    EXPECT_EQ(query("Software", "b"), found(REG_BINARY, "\0\xFF\x10"s));
    EXPECT_EQ(query("Software", "e"), found(REG_BINARY, ""));
    EXPECT_EQ(query("Software", "s"), found(REG_SZ, "\0"s));
    EXPECT_EQ(query("Software", "j"), found(REG_SZ, "??\0"s));
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(query("Software", "j"), found(REG_SZ, "\x93\xFA\x96\x7B\0"s));
}

// Ancestors of a deeper key exist; two sections of one key merge, the later
// value winning.
TEST_F(RegFile, BuildsTheTreeSectionBySection) {
    use_registry(kHeader +
                 "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n"
                 "[HKEY_LOCAL_MACHINE\\Other]\r\n\"b\"=\"x\"\r\n[HKEY_LOCAL_MACHINE\\k]\r\n\"B\"=\"3\"\r\n");
    for (const char* present : {"A", "A\\B", "A\\B\\C"}) EXPECT_EQ(open_status(present), ERROR_SUCCESS) << present;
    for (const char* absent : {"A\\C", "B"}) EXPECT_EQ(open_status(absent), ERROR_FILE_NOT_FOUND) << absent;
    EXPECT_EQ(query("K", "a"), found(REG_SZ, "1\0"s));
    EXPECT_EQ(query("K", "b"), found(REG_SZ, "3\0"s));
}

std::string in_key(const char* line) { return kHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n" + line + "\r\n"; }

// One malformed line fails the open, and a null handle is stored: a value
// before any key, an unterminated text, an unknown kind of data, a bad hex
// digit, a line continued past the end, an unknown root, an unknown first
// line, bytes that are no UTF-8, an odd count of UTF-16 bytes.
TEST_F(RegFile, RefusesAMalformedFileWithBadDatabase) {
    const std::string files[] = {
        kHeader + "\"a\"=\"b\"\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n", in_key("\"a\"=\"b"), in_key("\"a\"=qword:1"),
        in_key("\"a\"=hex:0g"), kHeader + "[HKEY_LOCAL_MACHINE\\Software]\r\n\"a\"=hex:01,\\",
        in_key("[HKEY_SOMEWHERE\\Other]"), "Windows Registry Editor Version 4.00\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n",
        in_key("\"a\"=\"\xC3\x28\""),
        utf16le_with_bom(u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n") + "x"};
    for (const std::string& bytes : files) {
        use_registry(bytes);
        HKEY key = reinterpret_cast<HKEY>(std::uintptr_t{0x1234});
        EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB) << bytes;
        EXPECT_EQ(key, nullptr) << bytes;
    }
}

// A buffer too small gives the full size; a missing value leaves the size
// and the type as they were. Windows looks at the low 32 bits of a
// predefined key, so a zero-extended one opens the same key.
TEST_F(RegQueryValueExA, GivesTheFullSizeForASmallBufferAndKeepsItForAMissingValue) {
    use_registry(in_key("\"Name\"=\"abc\""));
    unique_hkey key;
    const HKEY zeroExtended = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
    ASSERT_EQ(::RegOpenKeyExA(zeroExtended, "Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    BYTE buffer[3];
    DWORD type = 77, size = 3;
    EXPECT_EQ(::RegQueryValueExA(key.get(), "Name", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(::RegQueryValueExA(key.get(), "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, 77u);
}

// The variable and the file are read at every open: without either the
// registry is empty, and a folder is no registry file. A failed open stores
// a null handle. A null or empty sub key opens the key itself.
TEST_F(RegOpenKeyExA, ReadsTheVariableAndTheFileAfreshAtEachOpen) {
    HKEY key = reinterpret_cast<HKEY>(std::uintptr_t{0x7777});
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.file("other.reg").c_str());
    EXPECT_EQ(open_status(nullptr), ERROR_FILE_NOT_FOUND);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.path().c_str());
    EXPECT_EQ(open_status(nullptr), ERROR_BADDB);
    use_registry("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Other]\r\n", "other.reg");
    use_registry("REGEDIT4\r\n[HKEY_LOCAL_MACHINE]\r\n\"Root\"=\"r\"\r\n");
    EXPECT_EQ(query(nullptr, "Root"), found(REG_SZ, "r\0"s));
    EXPECT_EQ(open_status("Software", reinterpret_cast<HKEY>(std::uintptr_t{0x7777})), ERROR_INVALID_HANDLE);
    use_registry("REGEDIT4\r\n[HKEY_LOCAL_MACHINE]\r\n\"Root\"=\"changed\"\r\n");
    EXPECT_EQ(query("", "Root"), found(REG_SZ, "changed\0"s));
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.file("other.reg").c_str());
    EXPECT_EQ(open_status("Other"), ERROR_SUCCESS);
}

}  // namespace
