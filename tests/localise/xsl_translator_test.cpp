#include "localise/xsl_translator.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/environment.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr const char* kResources = "0001 One\n0010 a & b < c > d \"q\"\n0011 &amp;\n0020 ^0001^ and more\n";

// DealerInfoLeft is the multi-string "St & Co", "Town".
constexpr const char* kRegistry =
    "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n"
    "\"DealerInfoLeft\"=hex(7):53,74,20,26,20,43,6f,00,54,6f,77,6e,00,00\r\n"
    "\"DealerInfoMiddle\"=\"<Middle>\"\r\n\"DealerInfoRight\"=\"Right\"\r\n";

struct Outcome {
    ShortStatus status;
    std::string text;
    std::string errors;
};

// Without a registry the registry is empty.
Outcome Translate(const std::string& text, const char* resources = kResources, const char* registry = kRegistry) {
    TempFolder folder;
    WriteFileBytes(folder.file("strings.res"), resources);
    if (registry) WriteFileBytes(folder.file("dealers.reg"), registry);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", registry ? folder.file("dealers.reg").c_str() : nullptr);
    const std::size_t before = gXSLErrorMsg.size();
    CXSL translator;
    EXPECT_EQ(translator.init(text.c_str()), kShortOk);
    const ShortStatus status = translator.translateXSL(folder.file("strings.res"));
    SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
    return {status, translator.getText(), gXSLErrorMsg.substr(before)};
}

// What the translator adds to the tag expansion: replacements from the
// resource file and the registry, escaped for XML, and their failures.
TEST(CXSLTranslateXSL, ReplacesTagsByEscapedResourcesAndDealerBlocks) {
    const struct {
        const char* text;
        ShortStatus status;
        const char* translated;
        const char* errors = "";
        const char* resources = kResources;
        const char* registry = kRegistry;
    } cases[] = {
        // Only &, < and line feeds are escaped; a replacement is translated in turn.
        {"[^0010^^0011^] ^0020^", kShortOk, "[a &amp; b &lt; c > d \"q\"&amp;amp;] One and more"},
        {"^0002^|^0004^|^0003^", kShortOk, "St &amp; Co\r&lt;br />Town|&lt;Middle>|Right"},
        {"^0001^ ^0004^", 2, "One ^0004^", "DealerInfoMiddle is bad\n", kResources, nullptr},
        {"^0001^ ^zzzz^ ^0001^", kShortResource, "One ^zzzz^ One", "Can not find resource zzzz. \n"},
        {"^0001^", kShortResourceLine, "^0001^", "", "0001 One\nbroken\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Translate(c.text, c.resources, c.registry);
        EXPECT_EQ(outcome.status, c.status) << c.text;
        EXPECT_EQ(outcome.text, c.translated) << c.text;
        EXPECT_EQ(outcome.errors, c.errors) << c.text;
    }
}

TEST(CXSLTranslateXSL, TextMayGrowByFourMebibytesWhateverItsSize) {
    std::string atLimit;  // six MiB of markers, each of which grows by four bytes
    for (int marker = 0; marker < (1 << 20); ++marker) atLimit += "^abcd^";
    const Outcome grown = Translate(atLimit, "abcd 0123456789\n");
    const Outcome tooLong = Translate(atLimit + "^abcd^", "abcd 0123456789\n");

    EXPECT_EQ(grown.status, kShortOk);
    EXPECT_EQ(grown.text.size(), std::size_t{10} << 20);
    EXPECT_EQ(grown.text.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(tooLong.status, kShortMemory);
    EXPECT_EQ(tooLong.errors, "Unable to allocate memory in CXSL::translateXSL \n");
}

}  // namespace
