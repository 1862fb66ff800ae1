#include "platform/find_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(FindText, FindsTheFirstPlaceAtOrAfterTheStart) {
    constexpr std::size_t npos = std::string_view::npos;
    struct Case {
        std::string_view text, what;
        std::size_t from, expected;
    };
    const Case cases[] = {
        {"<a>\"Alias\">x</ALIAS>", "</ALIAS", 0, 12},
        {"</ALIAS</ALIAS", "</ALIAS", 1, 7},
        {"</ALIAS</ALIAS", "</ALIAS", 8, npos},
        {"</ALI", "</ALIAS", 0, npos},  // cut off at the end
        {"abc", "", 2, 2},
        {"abc", "", 3, 3},
        {"abc", "a", 4, npos},  // a start past the end finds nothing
        {std::string_view("a\0b", 3), std::string_view("\0b", 2), 0, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindText(c.text, c.what, c.from), c.expected) << c.text << " / " << c.what;
}

}  // namespace
