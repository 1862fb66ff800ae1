#include "report/report_generator.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

TEST(RemoveAmpersandEntities, DropsAmpSemicolonOnlyRightAfterAnAmpersandInOnePass) {
    std::string text = "a &amp; b &amp;lt; Base Camp;North camp; amp; &amp;amp; &amp;amp;amp; &&amp;&amp";
    RemoveAmpersandEntities(text);
    EXPECT_EQ(text, "a & b &lt; Base Camp;North camp; amp; &amp; &amp;amp; &&&amp");
}

TEST(CutAfterEnd, KeepsTheTextThroughTheFirstClosingTagOfExactlyThatCase) {
    const std::tuple<bool (*)(std::string&), std::string, bool, std::string> cases[] = {
        {CutAfterEndOfDocument, "<A/></TORVALE_CODEPLUG>\n<B/></TORVALE_CODEPLUG>", true, "<A/></TORVALE_CODEPLUG>"},
        {CutAfterEndOfDocument, "<A/></torvale_codeplug>", false, "<A/></torvale_codeplug>"},
        {CutAfterEndOfDocument, "<A/></TORVALE_CODEPLUG", false, "<A/></TORVALE_CODEPLUG"},
        {CutAfterEndOfReport, "<html></html></html>\n", true, "<html></html>"},
        {CutAfterEndOfReport, "<HTML></HTML>", false, "<HTML></HTML>"},
    };
    for (const auto& [cut, original, found, kept] : cases) {
        std::string text = original;
        EXPECT_EQ(cut(text), found) << original;
        EXPECT_EQ(text, kept) << original;
    }
}
