#include <gtest/gtest.h>

#include <random>

#include "report/report_generator.h"
#include "tests/support/literal_report_text.h"

namespace {

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
        EXPECT_EQ(LiteralRewriteAliases(c.text), c.expected) << c.text;
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
        ASSERT_EQ(fast, LiteralRewriteAliases(text)) << "text: " << text;
    }
}

TEST(RemoveAmpersandEntities, DropsAmpSemicolonOnlyRightAfterAnAmpersand) {
    const std::pair<std::string, std::string> cases[] = {
        {"a &amp; b &amp;lt; c", "a & b &lt; c"},
        {"Base Camp;North camp; amp;", "Base Camp;North camp; amp;"},
        {"&amp;amp; &amp;amp;amp;", "&amp; &amp;amp;"},
        {"&&amp;&amp", "&&&amp"},
    };
    for (const auto& [text, kept] : cases) {
        std::string removed = text;
        RemoveAmpersandEntities(removed);
        EXPECT_EQ(removed, kept) << text;
    }
}

struct CutCase {
    std::string text;
    bool found;
    std::string kept;
};

TEST(CutAfterEndOfDocument, KeepsTheTextThroughTheFirstClosingRootTag) {
    const CutCase cases[] = {
        {"<A/></TORVALE_CODEPLUG>\n<B/></TORVALE_CODEPLUG>", true, "<A/></TORVALE_CODEPLUG>"},
        {"</TORVALE_CODEPLUG>", true, "</TORVALE_CODEPLUG>"},
        {"<A/></torvale_codeplug>", false, "<A/></torvale_codeplug>"},
        {"<A/></TORVALE_CODEPLUG", false, "<A/></TORVALE_CODEPLUG"},
        {"", false, ""},
    };
    for (const CutCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(CutAfterEndOfDocument(text), c.found) << c.text;
        EXPECT_EQ(text, c.kept) << c.text;
    }
}

TEST(CutAfterEndOfReport, KeepsTheTextThroughTheFirstClosingHtmlTag) {
    const CutCase cases[] = {
        {"<html><p/></html>\n", true, "<html><p/></html>"},
        {"<html></html></html>", true, "<html></html>"},
        {"<HTML></HTML>", false, "<HTML></HTML>"},
        {"</html", false, "</html"},
    };
    for (const CutCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(CutAfterEndOfReport(text), c.found) << c.text;
        EXPECT_EQ(text, c.kept) << c.text;
    }
}

}  // namespace
