#include "localise/xsl_translator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr const char* kResources =
    "0001 One\n0002 FromResource\n0010 a & b < c > d \"q\"\n0011 &amp;\n0020 ^0001^ and more\n"
    "0030 x^0030^y\n0041 ^00\n0050 ^0051^\n0051 ^0050^\n0060 a^b\n\x81^000 Slash\n";

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

// Without resources no resource file exists; without a registry the
// registry is empty.
Outcome Translate(const char* text, const char* resources = kResources, const char* registry = kRegistry) {
    TempFolder folder;
    if (resources) WriteFileBytes(folder.file("strings.res"), resources);
    if (registry) WriteFileBytes(folder.file("dealers.reg"), registry);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", registry ? folder.file("dealers.reg").c_str() : nullptr);
    const std::size_t before = gXSLErrorMsg.size();
    CXSL translator;
    EXPECT_EQ(translator.init(text), kShortOk);
    const ShortStatus status = translator.translateXSL(folder.file("strings.res"));
    SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
    return {status, translator.getText(), gXSLErrorMsg.substr(before)};
}

struct template_case {
    const char* label;
    const char* text;
    ShortStatus status;
    const char* translated;  // null where the text is unspecified
    const char* errors = "";
    const char* resources = kResources;
    const char* registry = kRegistry;
};

constexpr const char* kWrongLength = "XSL tag is of wrong length.\n";
constexpr const char* kUnpaired = "Uneven number of carets.  Bad formatting.\n";
constexpr const char* kOutOfMemory = "Unable to allocate memory in CXSL::translateXSL \n";

class CXSLTranslateXSL : public ::testing::TestWithParam<template_case> {};

TEST_P(CXSLTranslateXSL, GivesTextStatusAndErrorLine) {
    const template_case& test = GetParam();
    const Outcome outcome = Translate(test.text, test.resources, test.registry);
    EXPECT_EQ(outcome.status, test.status);
    if (test.translated) {
        EXPECT_EQ(outcome.text, test.translated);
    }
    EXPECT_EQ(outcome.errors, test.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, CXSLTranslateXSL,
    ::testing::Values(
        template_case{"NoCaretsLeaveTextAlone", "plain > text\n", kShortOk, "plain > text\n"},
        template_case{"ThreeCaretsReplaceNothing", "^0001^ ^", kShortFormat, "^0001^ ^",
                      "Uneven number of ^. Bad formatting.\n"},
        template_case{"EmptyTagAfterReplacedOnes", "^0001^ ^^ ^0001^", kShortTagLength, "One ^^ One", kWrongLength},
        template_case{"ThreeCharacterTag", "^0001^^001^", kShortTagLength, "One^001^", kWrongLength},
        template_case{"FiveCharacterTag", "^0001^ ^00001^", kShortTagLength, "One ^00001^", kWrongLength},
        template_case{"TagUsedFiveTimes", "^0001^^0001^ ^0001^x^0001^\n^0001^", kShortOk, "OneOne OnexOne\nOne"},
        template_case{"MarkupEscapedGreaterThanKept", "[^0010^]", kShortOk, "[a &amp; b &lt; c > d \"q\"]"},
        template_case{"EntityEscapedAgain", "^0011^", kShortOk, "&amp;amp;"},
        template_case{"DealerBlocksFromRegistryNotResources", "^0002^|^0004^|^0003^", kShortOk,
                      "St &amp; Co\r&lt;br />Town|&lt;Middle>|Right"},
        template_case{"MissingDealerValueGivesQueryCode", "^0001^ ^0002^ ^0003^", 1, "One ^0002^ ^0003^",
                      "DealerInfoLeft is bad\n", kResources,
                      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n\"DealerInfoRight\"=\"R\"\r\n"},
        template_case{"MissingDealerKeyGivesNotFound", "^0004^", 2, "^0004^", "DealerInfoMiddle is bad\n", kResources,
                      nullptr},
        template_case{"MissingTagNamed", "^0001^ ^zzzz^ ^0001^", kShortResource, "One ^zzzz^ One",
                      "Can not find resource zzzz. \n"},
        template_case{"MalformedResourceLineAppendsNothing", "^0001^", kShortResourceLine, "^0001^", "",
                      "0001 One\nbroken\n"},
        template_case{"WholeTagInReplacementReplacedInTurn", "^0020^ ^0001^", kShortOk, "One and more One"},
        template_case{"SingleCaretInReplacementPairsRestAnew", "^0060^", kShortFormat, "a^b", kUnpaired},
        // The search goes on inside each inserted "x^0030^y", so the text
        // grows by four bytes a step until the rescan limit stops it.
        template_case{"OwnMarkerInReplacementGrowsWithoutEnd", "<^0030^> <^0030^>", kShortMemory, nullptr,
                      kOutOfMemory},
        template_case{"TagsLeadingRoundEndWhereFirstBack", "<^0050^>", kShortResource, "<^0051^>",
                      "Resource file or registry error \n"},
        template_case{"MarkerFormedWithFollowingTextReplacedAgain", "^0041^41^^", kShortTagLength, "^00^",
                      kWrongLength},
        template_case{"CaretFromReplacementPairsWithLaterOne", "^AAAA^AAAA^0004^", kShortOk, "AAAA AAAA &lt;Middle>",
                      "", "AAAA AAAA ^\n"},
        template_case{"CaretFromReplacementOpensShortTag", "^AAAA^AAAA^x^", kShortTagLength, "11^x^", kWrongLength,
                      "AAAA 1^\n"}),
    [](const auto& info) { return std::string(info.param.label); });

std::string Repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t time = 0; time < times; ++time) out += text;
    return out;
}

TEST(CXSLTranslateXSLGrowth, TextMayGrowByFourMebibytesWhateverItsSize) {
    // Six MiB of markers, each of which grows by four bytes.
    const char* resources = "abcd 0123456789\n";
    const Outcome atLimit = Translate(Repeated("^abcd^", std::size_t{1} << 20).c_str(), resources);
    const Outcome pastLimit = Translate(Repeated("^abcd^", (std::size_t{1} << 20) + 1).c_str(), resources);

    EXPECT_EQ(atLimit.status, kShortOk);
    EXPECT_TRUE(atLimit.text == Repeated("0123456789", std::size_t{1} << 20));
    EXPECT_EQ(pastLimit.status, kShortMemory);
    EXPECT_EQ(pastLimit.errors, kOutOfMemory);
}

TEST(CXSLTranslateXSLResources, MissingFileFailsEvenWithoutCarets) {
    const Outcome outcome = Translate("no carets", nullptr);
    EXPECT_EQ(outcome.status, kShortFileOpen);
    EXPECT_THAT(outcome.errors, ::testing::EndsWith("/strings.res could not be opened.\n"));
}

TEST(CXSLTranslateXSLCodePage932, TrailByteEqualToCaretIsNoCaret) {
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    // Byte by byte, the first would begin with an empty tag and the second
    // tag would be four long.
    const Outcome pair = Translate("\x81^^\x81^000^");
    const Outcome twoCharacters = Translate("^\x82\xA0\x82\xA2^");
    SetAnsiCodePageForTesting(1252);
    EXPECT_EQ(pair.status, kShortOk);
    EXPECT_EQ(pair.text, "\x81^Slash");
    EXPECT_EQ(twoCharacters.status, kShortTagLength);
}

TEST(CXSLProcessString, EscapesAmpersandLessThanAndLineFeedOnly) {
    EXPECT_EQ(CXSL::processString(""), "");
    EXPECT_EQ(CXSL::processString("&lt;<\n>\"'^\r"), "&amp;lt;&lt;&lt;br />>\"'^\r");
}

}  // namespace
