#include <gtest/gtest.h>

#include <random>

#include "report/report_generator.h"

namespace {

// The rewrite step by step as the report format defines it, one pass over
// the whole text per alias: slow, and plainly right.
std::string literal_rewrite(std::string text) {
    const std::string start = "\"Alias\">";
    std::size_t from = 0;
    for (;;) {
        std::size_t a = text.find(start, from);
        if (a == std::string::npos) return text;
        std::size_t e = text.find("</ALIAS", a);
        if (e == std::string::npos) return text;
        if (e - a <= 30) {
            std::string span = text.substr(a, e - a);
            std::string replacement;
            for (char c : span) replacement += c == ' ' ? std::string("()?!$%") : std::string(1, c);
            std::string out;
            std::size_t at = 0;
            for (std::size_t found = text.find(span); found != std::string::npos; found = text.find(span, at)) {
                out.append(text, at, found - at).append(replacement);
                at = found + span.size();
            }
            text = out.append(text, at, std::string::npos);
        }
        from = e;
    }
}

std::string field(const std::string& alias) { return "<ALIAS DISPLAY_NAME=\"Alias\">" + alias + "</ALIAS>"; }

TEST(RewriteAliases, SubstitutesTheBlanksOfShortAliasesOnly) {
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {field("Fire Dispatch 1"), field("Fire()?!$%Dispatch()?!$%1")},
        {field("NoBlanks"), field("NoBlanks")},
        // 22 characters fit the span; 23 do not.
        {field("abcdefghij klmnopqrstu"), field("abcdefghij()?!$%klmnopqrstu")},
        {field("abcdefghij klmnopqrstuv"), field("abcdefghij klmnopqrstuv")},
        // Tabs and line breaks stay; the table name's capitals do not match.
        {field("a\tb\nc d"), field("a\tb\nc()?!$%d")},
        {"<ALIAS DISPLAY_NAME=\"ALIAS\">a b</ALIAS>", "<ALIAS DISPLAY_NAME=\"ALIAS\">a b</ALIAS>"},
        // Every copy is rewritten with the first, wherever it stands.
        {field("Zone 1") + "<X>\"Alias\">Zone 1 North</X>" + field("Zone 1"),
         field("Zone()?!$%1") + "<X>\"Alias\">Zone()?!$%1 North</X>" + field("Zone()?!$%1")},
        // The rewrite does not parse: markup within the span is rewritten too.
        {"\"Alias\">a</X> <Y b=\"c\"></ALIAS>", "\"Alias\">a</X>()?!$%<Y()?!$%b=\"c\"></ALIAS>"},
        {"\"Alias\">a b", "\"Alias\">a b"},
    };
    for (Case& c : cases) {
        std::string text = c.text;
        RewriteAliases(text);
        EXPECT_EQ(text, c.expected) << c.text;
        EXPECT_EQ(literal_rewrite(c.text), c.expected) << c.text;
    }
}

TEST(RewriteAliases, AgreesWithTheLiteralRewriteOnRandomTexts) {
    const std::string pieces[] = {"\"Alias\">", "</ALIAS", ">", " ", " ", "a", "b", "()?", "!$%", "()?!$%", "\"",
                                  "</ALIAS>", "x y", "\"Alias\">a b"};
    std::mt19937 random(20261206);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        std::size_t length = random() % 24;
        for (std::size_t i = 0; i < length; ++i) text += pieces[random() % std::size(pieces)];
        std::string fast = text;
        RewriteAliases(fast);
        ASSERT_EQ(fast, literal_rewrite(text)) << "text: " << text;
    }
}

TEST(RemoveAmpersandEntities, DropsEveryAmpSemicolonLeftToRight) {
    std::string text = "a &amp; b &amp;lt; example; camp; amamp;p;";
    RemoveAmpersandEntities(text);
    EXPECT_EQ(text, "a & b &lt; example; c amp;");
}

}  // namespace
