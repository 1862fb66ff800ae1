#include "localise/installation_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/fault_injection.h"
#include "platform/unique_variant.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kProductKey = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n";
const std::string kLanguageKey = "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\";

// A registry file and a debugger log of the test's own, under code page
// 1252. The result variant holds a string that each read frees.
class InstallationSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetAnsiCodePageForTesting(1252));
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", folder_.file("debug.log").c_str());
        SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.file("settings.reg").c_str());
    }
    void TearDown() override {
        FailOleAllocationsAfter(-1);
        SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
    }
    void UseRegistry(const std::string& content) { WriteFileBytes(folder_.file("settings.reg"), content); }
    std::string DebugLog() const { return ReadFileBytes(folder_.file("debug.log")); }
    // The result's text, or "(empty)" for VT_EMPTY.
    std::u16string Result() const {
        if (result_.vt() == VT_EMPTY) return u"(empty)";
        return {result_.get()->bstrVal, SysStringLen(result_.get()->bstrVal)};
    }

    TempFolder folder_;
    unique_variant result_ = make_bstr_variant(u"previous");
};

// Any case of the name; through the code page (0x80 is the euro sign);
// data of another type read as text without terminator; a missing value
// written to the debugger output, a missing key not.
TEST_F(InstallationSettings, ResourceFileIsTheReportResourceOfTheLanguage) {
    UseRegistry(kProductKey + kLanguageKey + "English]\r\n\"ReportResource\"=\"C:\\\\Corvane\\\\english.res\"\r\n" +
                kLanguageKey + "Fran\347ais]\r\n\"ReportResource\"=\"\x80.res\"\r\n" + kLanguageKey +
                "Packed]\r\n\"ReportResource\"=dword:41424344\r\n" + kLanguageKey + "Empty]\r\n");
    const std::tuple<std::u16string, DWORD, std::u16string> cases[] = {{u"FRAN\u00C7AIS", 0, u"\u20AC.res"},
                                                                       {u"Packed", 0, u"DCBA"},
                                                                       {u"Klingon", 2, u"(empty)"},
                                                                       {u"Empty", 1, u"(empty)"}};
    for (const auto& [language, code, text] : cases) {
        EXPECT_EQ(GetXSLResourceFilePathAndName(make_bstr_variant(language).get(), result_.get()), code);
        EXPECT_EQ(Result(), text);
    }

    // The language variant may receive the result.
    result_ = make_bstr_variant(u"English");
    EXPECT_EQ(GetXSLResourceFilePathAndName(result_.get(), result_.get()), 0u);
    EXPECT_EQ(Result(), u"C:\\Corvane\\english.res");

    // A language that holds no string wins over a null result, and leaves
    // the result alone.
    unique_variant number;
    number.get()->vt = VT_I4;
    EXPECT_EQ(GetXSLResourceFilePathAndName(number.get(), result_.get()), 13u);
    EXPECT_EQ(GetXSLResourceFilePathAndName(nullptr, result_.get()), 13u);
    EXPECT_EQ(Result(), u"C:\\Corvane\\english.res");
    EXPECT_EQ(GetXSLResourceFilePathAndName(number.get(), nullptr), 13u);
    EXPECT_EQ(GetXSLResourceFilePathAndName(result_.get(), nullptr), 87u);
    EXPECT_EQ(DebugLog(), "Error in GetXSLResourceFilePathAndName\n");
}

// Plain strings and multi-strings alike go through the code page; other
// types are read as plain text, and nothing is expanded. Each getter reads
// its own value alone; a missing value is written to the debugger output, a
// missing key not.
TEST_F(InstallationSettings, DealerInfoReadsItsOwnValueByItsType) {
    const std::tuple<DWORD (*)(VARIANT*), std::string, std::u16string> cases[] = {
        {GetDealerInfoLeft, "Left\"=\"Corvane\x80\"", u"Corvane\u20AC"},
        {GetDealerInfoLeft, "Left\"=\"\"", u""},
        {GetDealerInfoMiddle, "Middle\"=hex(7):6f,6e,65,00,80,00,00,74,77,6f,00,00", u"one\r\n\u20AC\r\n\r\ntwo"},
        {GetDealerInfoMiddle, "Middle\"=hex(7):00", u""},
        {GetDealerInfoRight, "Right\"=hex(2):25,57,49,4e,44,49,52,25,00", u"%WINDIR%"},
    };
    for (const auto& [read, value, text] : cases) {
        UseRegistry(kProductKey + "\"DealerInfo" + value + "\r\n");
        EXPECT_EQ(read(result_.get()), 0u) << value;
        EXPECT_EQ(Result(), text) << value;
    }
    UseRegistry(kProductKey);
    for (auto read : {GetDealerInfoLeft, GetDealerInfoMiddle, GetDealerInfoRight}) EXPECT_EQ(read(result_.get()), 1u);
    EXPECT_EQ(Result(), u"(empty)");
    UseRegistry("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane]\r\n");
    EXPECT_EQ(GetDealerInfoRight(result_.get()), 2u);
    EXPECT_EQ(GetDealerInfoRight(nullptr), 87u);
    EXPECT_EQ(DebugLog(), "Error in GetDealerInfoLeft\nError in GetDealerInfoMiddle\nError in GetDealerInfoRight\n");
}

// The plain string and the multi-string each fail on their own; a language
// that receives the result is read before the failure.
TEST_F(InstallationSettings, AFailedStringIsReportedAndLeavesTheResultEmpty) {
    UseRegistry(kProductKey + "\"DealerInfoRight\"=hex(7):61,00,62,00,00\r\n" + kLanguageKey +
                "English]\r\n\"ReportResource\"=\"e\"\r\n");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(GetDealerInfoRight(result_.get()), 9u);
    EXPECT_EQ(Result(), u"(empty)");
    result_ = make_bstr_variant(u"English");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(GetXSLResourceFilePathAndName(result_.get(), result_.get()), 9u);
    EXPECT_FALSE(OleAllocationFailurePending());
    EXPECT_EQ(Result(), u"(empty)");
    EXPECT_EQ(DebugLog(),
              "Failed _bstr_t construction in GetDealerInfoRight\n"
              "Failed _bstr_t construction in GetXSLResourceFilePathAndName\n");
}

}  // namespace
