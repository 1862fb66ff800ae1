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
    "0030 x^0030^y\n0041 ^00\n0050 [^0051^]\n0051 (^0050^)\n0060 a^b\n\x81^000 Slash\n";

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
    const char* translated;
    const char* errors = "";
    const char* resources = kResources;
    const char* registry = kRegistry;
};

constexpr const char* kWrongLength = "XSL tag is of wrong length.\n";
constexpr const char* kUnpaired = "Uneven number of carets.  Bad formatting.\n";

class CXSLTranslateXSL : public ::testing::TestWithParam<template_case> {};

TEST_P(CXSLTranslateXSL, GivesTextStatusAndErrorLine) {
    const template_case& test = GetParam();
    const Outcome outcome = Translate(test.text, test.resources, test.registry);
    EXPECT_EQ(outcome.status, test.status);
    EXPECT_EQ(outcome.text, test.translated);
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
        template_case{"CycleOwnMarkerKeptInEachReplacement", "<^0030^> <^0030^>", kShortOk, "<x^0030^y> <x^0030^y>"},
        template_case{"CycleThroughAnotherTagEnds", "^0050^", kShortOk, "[(^0050^)]"},
        template_case{"CycleFormedWithFollowingTextEnds", "^0041^41^^", kShortFormat, "^0041^^", kUnpaired}),
    [](const auto& info) { return std::string(info.param.label); });

// Resources in which each tag K000 to K(levels - 1) stands for two copies
// of the next tag, and the last one for lastText.
std::string DoublingResources(int levels, const std::string& lastText) {
    auto key = [](int level) {
        std::string digits = std::to_string(level);
        return "K" + std::string(3 - digits.size(), '0') + digits;
    };
    std::string resources;
    for (int level = 0; level < levels; ++level)
        resources += key(level) + " ^" + key(level + 1) + "^^" + key(level + 1) + "^\n";
    return resources + key(levels) + " " + lastText + "\n";
}

std::string Repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t time = 0; time < times; ++time) out += text;
    return out;
}

TEST(CXSLTranslateXSLGrowth, EveryDoubledCopyKeepsItsOwnMarker) {
    // 262144 copies, each looked at once rather than against every other.
    const Outcome outcome = Translate("<^K000^>", DoublingResources(18, "x^K018^y").c_str());
    EXPECT_EQ(outcome.status, kShortOk);
    EXPECT_EQ(outcome.text.size(), 2 + 262144 * 8u);
    EXPECT_TRUE(outcome.text == "<" + Repeated("x^K018^y", 262144) + ">");
    EXPECT_EQ(outcome.errors, "");
}

TEST(CXSLTranslateXSLGrowth, TextGrownPastFourMebibytesCountsAsMemoryRunOut) {
    constexpr std::size_t kLimit = 4 << 20;
    // "^abcd^" becomes ten characters.
    const char* resources = "abcd 0123456789\n";
    const Outcome atLimit = Translate((std::string(kLimit - 10, 'a') + "^abcd^").c_str(), resources);
    const Outcome pastLimit = Translate((std::string(kLimit - 9, 'a') + "^abcd^").c_str(), resources);
    // Thirty doublings would ask for gigabytes.
    const Outcome doubling = Translate("^K000^", DoublingResources(30, "leaf").c_str());

    EXPECT_EQ(atLimit.status, kShortOk);
    EXPECT_EQ(atLimit.text.size(), kLimit);
    EXPECT_EQ(pastLimit.status, kShortMemory);
    EXPECT_EQ(pastLimit.text.size(), kLimit - 3);
    EXPECT_EQ(pastLimit.errors, "Unable to allocate memory in CXSL::translateXSL \n");
    EXPECT_EQ(doubling.status, kShortMemory);
    EXPECT_EQ(doubling.errors, "Unable to allocate memory in CXSL::translateXSL \n");
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
