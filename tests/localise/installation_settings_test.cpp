#include "localise/installation_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/fault_injection.h"
#include "platform/unique_variant.h"
#include "tests/support/temp_folder.h"

using namespace std::string_literals;

namespace {

const std::string kLanguages =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\r\n"
    "\"ReportResource\"=\"C:\\\\Corvane\\\\english.res\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\Fran\xC3\xA7"
    "ais]\r\n"
    "\"ReportResource\"=\"\xE2\x82\xAC.res\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\Packed]\r\n"
    "\"ReportResource\"=dword:41424344\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\Empty]\r\n";

unique_variant BstrVariant(std::u16string_view text) {
    unique_variant variant;
    variant.get()->vt = VT_BSTR;
    variant.get()->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return variant;
}

std::u16string TextOf(const unique_variant& variant) {
    return {variant.get()->bstrVal, SysStringLen(variant.get()->bstrVal)};
}

// A registry file and a debugger log of the test's own, under code page 1252.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetAnsiCodePageForTesting(1252));
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", folder_.file("debug.log").c_str());
        previous_ = BstrVariant(u"previous");
    }
    void TearDown() override {
        FailOleAllocationsAfter(-1);
        SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
    }
    void UseRegistry(const std::string& content) {
        WriteFileBytes(folder_.file("settings.reg"), content);
        SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.file("settings.reg").c_str());
    }
    std::string DebugLog() const { return ReadFileBytes(folder_.file("debug.log")); }

    TempFolder folder_;
    unique_variant previous_;  // the result variant, holding a string to be freed
};

struct language_case {
    const char* label;
    std::u16string language;
    DWORD code;
    std::u16string text;  // when code is 0
    std::string debugLog;
};

class ResourceFile : public SettingsTest, public ::testing::WithParamInterface<language_case> {};

TEST_P(ResourceFile, ReadsReportResourceOfLanguage) {
    UseRegistry(kLanguages);
    unique_variant language = BstrVariant(GetParam().language);
    EXPECT_EQ(GetXSLResourceFilePathAndName(language.get(), previous_.get()), GetParam().code);
    EXPECT_EQ(previous_.vt(), GetParam().code == 0 ? VT_BSTR : VT_EMPTY);
    if (GetParam().code == 0) {
        EXPECT_EQ(TextOf(previous_), GetParam().text);
    }
    EXPECT_EQ(DebugLog(), GetParam().debugLog);
}

// Plain values come through the code page: 0x80 is the euro sign there.
INSTANTIATE_TEST_SUITE_P(Languages, ResourceFile,
                         ::testing::Values(language_case{"Path", u"English", 0, u"C:\\Corvane\\english.res", ""},
                                           language_case{"OtherCaseHighByte", u"FRAN\u00C7AIS", 0, u"\u20AC.res", ""},
                                           language_case{"DataWithoutTerminator", u"Packed", 0, u"DCBA", ""},
                                           language_case{"MissingKey", u"Klingon", 2, u"", ""},
                                           language_case{"MissingValue", u"Empty", 1, u"",
                                                         "Error in GetXSLResourceFilePathAndName\n"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SettingsTest, ResourceFileRefusesLanguageWithoutStringLeavingResult) {
    UseRegistry(kLanguages);
    unique_variant number;
    number.get()->vt = VT_I4;
    number.get()->lVal = 7;
    const BSTR held = previous_.get()->bstrVal;
    EXPECT_EQ(GetXSLResourceFilePathAndName(number.get(), previous_.get()), 13u);
    EXPECT_EQ(GetXSLResourceFilePathAndName(nullptr, previous_.get()), 13u);
    EXPECT_EQ(previous_.get()->bstrVal, held);
    EXPECT_EQ(GetXSLResourceFilePathAndName(number.get(), nullptr), 13u);
    EXPECT_EQ(GetXSLResourceFilePathAndName(previous_.get(), nullptr), 87u);
    EXPECT_EQ(DebugLog(), "");
}

TEST_F(SettingsTest, ResourceFileAcceptsLanguageVariantAsResult) {
    UseRegistry(kLanguages);
    unique_variant both = BstrVariant(u"English");
    EXPECT_EQ(GetXSLResourceFilePathAndName(both.get(), both.get()), 0u);
    EXPECT_EQ(TextOf(both), u"C:\\Corvane\\english.res");
}

TEST_F(SettingsTest, ResourceFileReportsFailedStringAndLeavesResultEmpty) {
    UseRegistry(kLanguages);
    unique_variant language = BstrVariant(u"English");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(GetXSLResourceFilePathAndName(language.get(), previous_.get()), 9u);
    EXPECT_FALSE(OleAllocationFailurePending());
    EXPECT_EQ(previous_.vt(), VT_EMPTY);
    EXPECT_EQ(DebugLog(), "Failed _bstr_t construction in GetXSLResourceFilePathAndName\n");
}

// The bytes as a .reg hex list: "6f,6e,00".
std::string HexList(const std::string& bytes) {
    std::string list;
    for (unsigned char byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        list += (list.empty() ? "" : ",") + std::string(pair);
    }
    return list;
}

struct dealer_getter {
    DWORD (*read)(VARIANT*);
    const char* valueName;
    const char* function;
};

const dealer_getter kGetters[] = {{GetDealerInfoLeft, "DealerInfoLeft", "GetDealerInfoLeft"},
                                  {GetDealerInfoMiddle, "DealerInfoMiddle", "GetDealerInfoMiddle"},
                                  {GetDealerInfoRight, "DealerInfoRight", "GetDealerInfoRight"}};

struct dealer_case {
    const char* label;
    std::string data;  // what follows the value name and "=" in an ANSI .reg file; empty for no value
    DWORD code;
    std::u16string text;  // when code is 0
};

class DealerInfo : public SettingsTest, public ::testing::WithParamInterface<std::tuple<dealer_getter, dealer_case>> {};

TEST_P(DealerInfo, ReadsOwnValueByItsType) {
    const auto& [getter, example] = GetParam();
    std::string file = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n";
    for (const auto& other : kGetters)
        if (other.read != getter.read) file += "\""s + other.valueName + "\"=\"wrong\"\r\n";
    if (!example.data.empty()) file += "\""s + getter.valueName + "\"=" + example.data + "\r\n";
    UseRegistry(file);

    EXPECT_EQ(getter.read(previous_.get()), example.code);
    EXPECT_EQ(previous_.vt(), example.code == 0 ? VT_BSTR : VT_EMPTY);
    if (example.code == 0) {
        EXPECT_EQ(TextOf(previous_), example.text);
    }
    EXPECT_EQ(DebugLog(), example.code == 0 ? "" : "Error in "s + getter.function + "\n");
}

// Plain and multi-strings alike go through the code page.
INSTANTIATE_TEST_SUITE_P(
    Values, DealerInfo,
    ::testing::Combine(
        ::testing::ValuesIn(kGetters),
        ::testing::Values(
            dealer_case{"EmptyString", "\"\"", 0, u""},
            dealer_case{"PlainHighByte", "\"Corvane\x80\"", 0, u"Corvane\u20AC"},
            dealer_case{"ThreeLines", "hex(7):" + HexList("one\0two\0three\0\0"s), 0, u"one\r\ntwo\r\nthree"},
            dealer_case{"EmptyLineInList", "hex(7):" + HexList("a\0\0b\0\0"s), 0, u"a\r\n\r\nb"},
            dealer_case{"MultiHighByte", "hex(7):" + HexList("\x80\0\0"s), 0, u"\u20AC"},
            dealer_case{"OneByteList", "hex(7):00", 0, u""}, dealer_case{"NoDataList", "hex(7):", 0, u""},
            dealer_case{"ExpandStringNotExpanded", "hex(2):" + HexList("%WINDIR%\\x\0"s), 0, u"%WINDIR%\\x"},
            dealer_case{"BinaryWithoutTerminator", "hex:41,42", 0, u"AB"}, dealer_case{"MissingValue", "", 1, u""})),
    [](const auto& info) { return std::string(std::get<0>(info.param).valueName) + std::get<1>(info.param).label; });

// A UTF-8 .reg file holds any text; the value reaches the caller whole under
// every code page that holds its characters.
TEST_F(SettingsTest, PlainTextKeepsItsCharactersUnderItsCodePage) {
    const std::pair<UINT, std::u16string> cases[] = {
        {1252, u"Caf\u00E9 \u20AC 5"}, {1251, u"\u041C\u043E\u0441\u043A\u0432\u0430"}, {1250, u"\u010D.txt"}};
    for (const auto& [page, text] : cases) {
        ASSERT_TRUE(SetAnsiCodePageForTesting(page));
        const std::u16string quoted = u"\"" + text + u"\"";
        std::string utf8;
        for (char16_t c : quoted) {
            if (c < 0x80) utf8 += static_cast<char>(c);
            else if (c < 0x800) utf8 += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
            else utf8 += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (c & 0x3F))};
        }
        UseRegistry("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n"
                    "\"DealerInfoRight\"=" + utf8 + "\r\n");
        EXPECT_EQ(GetDealerInfoRight(previous_.get()), 0u) << page;
        EXPECT_EQ(TextOf(previous_), text) << page;
    }
}

class DealerInfoFailure : public SettingsTest, public ::testing::WithParamInterface<dealer_getter> {};

TEST_P(DealerInfoFailure, PassesOpenFailureOnSilently) {
    UseRegistry("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane]\r\n");
    EXPECT_EQ(GetParam().read(previous_.get()), 2u);
    EXPECT_EQ(previous_.vt(), VT_EMPTY);
    UseRegistry("REGEDIT4\r\n\r\nnot a line\r\n");
    EXPECT_EQ(GetParam().read(previous_.get()), 1009u);
    EXPECT_EQ(GetParam().read(nullptr), 87u);
    EXPECT_EQ(DebugLog(), "");
}

TEST_P(DealerInfoFailure, ReportsFailedStringForPlainAndMultiValues) {
    const std::string line = "\""s + GetParam().valueName + "\"=";
    for (const std::string& data : {"\"text\""s, "hex(7):" + HexList("a\0b\0\0"s)}) {
        UseRegistry("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n" + line + data + "\r\n");
        unique_variant result = BstrVariant(u"previous");
        FailOleAllocationsAfter(0);
        EXPECT_EQ(GetParam().read(result.get()), 9u) << data;
        EXPECT_FALSE(OleAllocationFailurePending());
        EXPECT_EQ(result.vt(), VT_EMPTY);
    }
    const std::string message = "Failed _bstr_t construction in "s + GetParam().function + "\n";
    EXPECT_EQ(DebugLog(), message + message);
}

INSTANTIATE_TEST_SUITE_P(Getters, DealerInfoFailure, ::testing::ValuesIn(kGetters),
                         [](const auto& info) { return std::string(info.param.valueName); });

}  // namespace
