#include <gtest/gtest.h>

#include <string>

#include "report/report_generator.h"
#include "tests/support/literal_report_text.h"

namespace {

std::string field(const std::string& alias) { return "<ALIAS DISPLAY_NAME=\"Alias\">" + alias + "</ALIAS>"; }

// Edge rows, each held against the literal rewrite too; the report text
// fuzzer holds the two together on every other text.
TEST(RewriteAliases, SubstitutesTheBlanksOfShortAliasesAsTheLiteralRewrite) {
    const std::pair<std::string, std::string> cases[] = {
        // A span of 30 bytes, marker included, is rewritten; one of 31 is not.
        {field("abcdefghij klmnopqrstu"), field("abcdefghij()?!$%klmnopqrstu")},
        {field("abcdefghij klmnopqrstuv"), field("abcdefghij klmnopqrstuv")},
        // Tabs and line breaks stay; the table name's capitals do not match.
        {field("a\tb\nc d"), field("a\tb\nc()?!$%d")},
        {"<ALIAS DISPLAY_NAME=\"ALIAS\">a b</ALIAS>", "<ALIAS DISPLAY_NAME=\"ALIAS\">a b</ALIAS>"},
        // Every copy is rewritten with the first, wherever it stands.
        {field("Zone 1") + "<X>\"Alias\">Zone 1 North</X>" + field("Zone 1"),
         field("Zone()?!$%1") + "<X>\"Alias\">Zone()?!$%1 North</X>" + field("Zone()?!$%1")},
        // A span measured after an earlier rewrite grew it: 30 bytes become 35.
        {field("a b") + field("a b cdefghijklmnopqrst"), field("a()?!$%b") + field("a()?!$%b cdefghijklmnopqrst")},
        // A span that holds an earlier rewrite finds its copies too.
        {field("a b") + field("a b c") + field("a b c"),
         field("a()?!$%b") + field("a()?!$%b()?!$%c") + field("a()?!$%b()?!$%c")},
        // The rewrite does not parse: markup within the span is rewritten too.
        {"\"Alias\">a</X> <Y b=\"c\"></ALIAS>", "\"Alias\">a</X>()?!$%<Y()?!$%b=\"c\"></ALIAS>"},
        {"\"Alias\">a b", "\"Alias\">a b"},
    };
    for (const auto& [input, expected] : cases) {
        std::string text = input;
        RewriteAliases(text);
        EXPECT_EQ(text, expected) << input;
        EXPECT_EQ(LiteralRewriteAliases(input), expected) << input;
    }
}

}  // namespace
