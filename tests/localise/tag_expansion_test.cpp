#include "localise/tag_expansion.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/codepage.h"
#include "report/error_report.h"
#include "tests/support/literal_translation.h"

namespace {

using Resources = std::map<std::string, std::string>;

constexpr const char* kOutOfMemory = "Unable to allocate memory in CXSL::translateXSL \n";
constexpr const char* kCameBack = "Resource file or registry error \n";

struct Outcome {
    ShortStatus status;
    std::string text;
    std::string errors;
};

// Values come from resources as they are; a missing tag appends the
// translator's line. calls, when given, counts the lookups of each tag.
tag_lookup LookUpIn(const Resources& resources, std::map<std::string, int>* calls = nullptr) {
    return [&resources, calls](const std::string& tag, std::string& replacement) {
        if (calls) ++(*calls)[tag];
        const auto found = resources.find(tag);
        if (found == resources.end()) {
            AppendReportError("Can not find resource %s. \n", tag);
            return kShortResource;
        }
        replacement = found->second;
        return kShortOk;
    };
}

template <typename Expand>
Outcome Apply(Expand expand, std::string text, const tag_lookup& lookup, tag_expansion_limits limits) {
    const std::size_t before = gXSLErrorMsg.size();
    const ShortStatus status = expand(text, lookup, limits);
    Outcome outcome{status, text, gXSLErrorMsg.substr(before)};
    gXSLErrorMsg.resize(before);
    return outcome;
}

struct limit_case {
    const char* label;
    const char* text;
    Resources resources;
    tag_expansion_limits limits;
    ShortStatus status;
    const char* expanded;  // null where the text is unspecified
    const char* errors;
};

void PrintTo(const limit_case& test, std::ostream* out) { *out << test.label; }

class ExpandTagsLimits : public ::testing::TestWithParam<limit_case> {};

TEST_P(ExpandTagsLimits, EndAsTheLiteralLoopWould) {
    const limit_case& test = GetParam();
    const Outcome outcome = Apply(ExpandTags, test.text, LookUpIn(test.resources), test.limits);
    EXPECT_EQ(outcome.status, test.status);
    if (test.expanded) {
        EXPECT_EQ(outcome.text, test.expanded);
    }
    EXPECT_EQ(outcome.errors, test.errors);
}

// "^AAAA^^BBBB^" rescans the six bytes of "^AAAA^" once BBBB brings it back.
// In "<^AAAA^>" the three tags lead round: "^BBBB^>" comes back right after
// the step that rescans "^AAAA^>", seven bytes.
const Resources kBackAgain = {{"AAAA", "a"}, {"BBBB", "^AAAA^"}};
const Resources kRound = {{"AAAA", "^BBBB^"}, {"BBBB", "^CCCC^"}, {"CCCC", "^AAAA^"}};

INSTANTIATE_TEST_SUITE_P(
    Limits, ExpandTagsLimits,
    ::testing::Values(
        limit_case{"GrowthUpToLimit", "^AAAA^", {{"AAAA", "0123456789"}}, {4, 0}, kShortOk, "0123456789", ""},
        limit_case{"GrowthPastLimit", "^AAAA^", {{"AAAA", "0123456789"}}, {3, 0}, kShortMemory, nullptr, kOutOfMemory},
        limit_case{"RescansUpToLimit", "^AAAA^^BBBB^", kBackAgain, {100, 6}, kShortOk, "aa", ""},
        limit_case{"RescansPastLimit", "^AAAA^^BBBB^", kBackAgain, {100, 5}, kShortMemory, nullptr, kOutOfMemory},
        limit_case{"CameBackBeforeRescansRanOut", "<^AAAA^>", kRound, {100, 7}, kShortResource, "<^BBBB^>", kCameBack},
        limit_case{"RescansRanOutBeforeComingBack", "<^AAAA^>", kRound, {100, 6}, kShortMemory, nullptr, kOutOfMemory}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ExpandTags, LooksUpEachTagOnceThoughBroughtBack) {
    std::map<std::string, int> calls;
    const Outcome outcome = Apply(ExpandTags, "^AAAA^^BBBB^ ^AAAA^^AAAA^", LookUpIn(kBackAgain, &calls), {100, 100});
    EXPECT_EQ(outcome.status, kShortOk);
    EXPECT_EQ(outcome.text, "aa aa");
    EXPECT_EQ(calls, (std::map<std::string, int>{{"AAAA", 1}, {"BBBB", 1}}));
}

// Markers are found at every distance from each other in a long text, after
// letters or after NULs.
TEST(ExpandTags, FindsMarkersAnywhereInLongTexts) {
    const Resources resources = {{"AAAA", "a"}};
    for (std::size_t between = 0; between < 2100; ++between) {
        const std::string filler(between, between % 2 == 0 ? 'x' : '\0');
        const Outcome outcome = Apply(ExpandTags, "^AAAA^" + filler + "^AAAA^y", LookUpIn(resources), {0, 0});
        ASSERT_EQ(outcome.status, kShortOk) << between;
        ASSERT_TRUE(outcome.text == "a" + filler + "ay") << between;
    }
}

// Small templates and resource values over carets, a few tags (one holding a
// NUL), letters and NULs, under a single-byte and a double-byte page, where
// "\x81^" is one character.
class ExpandTagsAgainstLiteral : public ::testing::TestWithParam<std::tuple<UINT, std::size_t>> {
protected:
    void TearDown() override { SetAnsiCodePageForTesting(1252); }
};

TEST_P(ExpandTagsAgainstLiteral, GivesTheLiteralResults) {
    const auto [codePage, rescans] = GetParam();
    ASSERT_TRUE(SetAnsiCodePageForTesting(codePage));
    using namespace std::string_literals;
    const std::vector<std::string> pieces = {"^",      "AAAA",       "x",        "\x81",   "\0"s,
                                             "^AAAA^", "^AAAA^",     "^BBBB^",   "^BBBB^", "^CCCC^",
                                             "^CCCC^", "^\x81^AAA^", "^A\0AA^"s, "^DDDD^"};
    std::mt19937 random(20240517);
    auto compose = [&](std::size_t most) {
        std::string text;
        for (std::size_t count = random() % (most + 1); count > 0; --count) text += pieces[random() % pieces.size()];
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        Resources resources;
        for (const std::string& tag : {"AAAA"s, "BBBB"s, "CCCC"s, "\x81^AAA"s, "A\0AA"s})
            if (random() % 5 != 0) resources[tag] = compose(3);
        const std::string text = compose(6);
        std::string described = "template [" + text + "]";
        for (const auto& [tag, value] : resources) described += " " + tag + " [" + value + "]";
        SCOPED_TRACE(described);
        const tag_lookup lookup = LookUpIn(resources);
        const Outcome expanded = Apply(ExpandTags, text, lookup, {256, rescans});
        const Outcome literal = Apply(LiteralTranslation, text, lookup, {256, rescans});

        ASSERT_EQ(expanded.status, literal.status);
        ASSERT_EQ(expanded.errors, literal.errors);
        if (literal.status != kShortMemory) {
            ASSERT_EQ(expanded.text, literal.text);
        }
    }
}

// The smaller rescan limit runs out within loops of a few steps, some before
// and some after their first state came back.
INSTANTIATE_TEST_SUITE_P(CodePagesAndRescans, ExpandTagsAgainstLiteral,
                         ::testing::Combine(::testing::Values(1252u, 932u), ::testing::Values(512u, 40u)));

}  // namespace
