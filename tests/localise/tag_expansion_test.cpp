#include "localise/tag_expansion.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/codepage.h"
#include "report/error_report.h"
#include "tests/support/literal_translation.h"

using namespace std::string_literals;

namespace {

using Resources = std::map<std::string, std::string>;

// Values come from resources as they are; a missing tag appends the
// translator's line.
tag_lookup LookUpIn(const Resources& resources) {
    return [&resources](const std::string& tag, std::string& replacement) {
        const auto found = resources.find(tag);
        if (found == resources.end()) {
            AppendReportError("Can not find resource %s. \n", tag);
            return kShortResource;
        }
        replacement = found->second;
        return kShortOk;
    };
}

// Expands text with ExpandTags and with the literal loop, expects the same
// status, error lines and, where it is specified, text, and gives the status.
ShortStatus ExpectTheLiteralResult(const std::string& text, const Resources& resources, tag_expansion_limits limits) {
    const std::size_t before = gXSLErrorMsg.size();
    std::string expanded = text, literal = text;
    const ShortStatus status = ExpandTags(expanded, LookUpIn(resources), limits);
    const std::string errors = gXSLErrorMsg.substr(before);
    gXSLErrorMsg.resize(before);
    EXPECT_EQ(status, LiteralTranslation(literal, LookUpIn(resources), limits));
    EXPECT_EQ(errors, gXSLErrorMsg.substr(before));
    gXSLErrorMsg.resize(before);
    if (status != kShortMemory) {
        EXPECT_EQ(expanded, literal);
    }
    return status;
}

// Each limit at its bound and one past it. "^AAAA^^BBBB^" rescans the six
// bytes of "^AAAA^" once BBBB brings it back. In "<^AAAA^>" the three tags
// lead round: "^BBBB^>" comes back right after the step that rescans
// "^AAAA^>", seven bytes.
TEST(ExpandTags, EndsAtItsLimitsAsTheLiteralLoopWould) {
    const Resources backAgain = {{"AAAA", "a"}, {"BBBB", "^AAAA^"}};
    const Resources round = {{"AAAA", "^BBBB^"}, {"BBBB", "^CCCC^"}, {"CCCC", "^AAAA^"}};
    const std::tuple<const char*, Resources, tag_expansion_limits, ShortStatus> cases[] = {
        {"^AAAA^", {{"AAAA", "0123456789"}}, {4, 0}, kShortOk},
        {"^AAAA^", {{"AAAA", "0123456789"}}, {3, 0}, kShortMemory},
        {"^AAAA^^BBBB^", backAgain, {100, 6}, kShortOk},
        {"^AAAA^^BBBB^", backAgain, {100, 5}, kShortMemory},
        {"<^AAAA^>", round, {100, 7}, kShortResource},
        {"<^AAAA^>", round, {100, 6}, kShortMemory},
    };
    for (const auto& [text, resources, limits, status] : cases) {
        SCOPED_TRACE(testing::Message() << text << " " << limits.growth << " " << limits.rescans);
        EXPECT_EQ(ExpectTheLiteralResult(text, resources, limits), status);
    }
}

// At every distance from each other in a long text, after letters or NULs.
TEST(ExpandTags, FindsMarkersAnywhereInLongTexts) {
    const Resources resources = {{"AAAA", "a"}};
    for (std::size_t between = 0; between < 2100; ++between) {
        const std::string filler(between, between % 2 == 0 ? 'x' : '\0');
        std::string text = "^AAAA^" + filler + "^AAAA^y";
        ASSERT_EQ(ExpandTags(text, LookUpIn(resources), {0, 0}), kShortOk) << between;
        ASSERT_TRUE(text == "a" + filler + "ay") << between;
    }
}

// Small templates and resource values over carets, a few tags (one holding a
// NUL), letters and NULs, under a single-byte and a double-byte page, where
// "\x81^" is one character. The smaller rescan limit runs out within loops
// of a few steps, some before and some after their first state came back.
TEST(ExpandTags, GivesTheLiteralResults) {
    const std::vector<std::string> pieces = {"^",      "AAAA",       "x",        "\x81",   "\0"s,
                                             "^AAAA^", "^AAAA^",     "^BBBB^",   "^BBBB^", "^CCCC^",
                                             "^CCCC^", "^\x81^AAA^", "^A\0AA^"s, "^DDDD^"};
    std::mt19937 random(20240517);
    auto compose = [&](std::size_t most) {
        std::string text;
        for (std::size_t count = random() % (most + 1); count > 0; --count) text += pieces[random() % pieces.size()];
        return text;
    };
    for (const auto& [codePage, rescans] : {std::pair{1252u, 512u}, {1252u, 40u}, {932u, 512u}, {932u, 40u}}) {
        ASSERT_TRUE(SetAnsiCodePageForTesting(codePage));
        for (int round = 0; round < 2000 && !testing::Test::HasFailure(); ++round) {
            Resources resources;
            for (const std::string& tag : {"AAAA"s, "BBBB"s, "CCCC"s, "\x81^AAA"s, "A\0AA"s})
                if (random() % 5 != 0) resources[tag] = compose(3);
            const std::string text = compose(6);
            SCOPED_TRACE(testing::Message() << "page " << codePage << ", round " << round << ": [" << text << "]");
            ExpectTheLiteralResult(text, resources, {256, rescans});
        }
    }
    SetAnsiCodePageForTesting(1252);
}

}  // namespace
