#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>
#include <tuple>

using namespace std::string_view_literals;

static std::u16string_view view(const unique_bstr& text) { return {text.get(), text.length()}; }

// to_ansi stops at the first NUL unless given a length; to_bstr keeps every
// byte, and an empty text is an empty BSTR, not a null one.
TEST(AnsiText, ConvertsThroughTheAnsiCodePageWithTheExactLength) {
    unique_bstr text(SysAllocStringLen(u"a\0\u20AC\u0100", 4));
    EXPECT_EQ(to_ansi(text.get()), "a");
    EXPECT_EQ(to_ansi(text.get(), 4), "a\0\x80?"sv);
    EXPECT_EQ(to_ansi(nullptr), "");
    EXPECT_EQ(view(to_bstr("a\0\x80"sv)), u"a\0\u20AC"sv);
    const unique_bstr empty = to_bstr("");
    EXPECT_TRUE(empty && empty.length() == 0);
    EXPECT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(to_ansi(u"日本x", 3), "\x93\xFA\x96\x7Bx");
    EXPECT_EQ(view(to_bstr("\x93\xFA\x96\x7B\x61")), u"日本a");
    EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
}

// Plain ASCII is copied; either way out's old content goes. A lone
// surrogate is refused or replaced, as the policy says.
TEST(TryToUtf8, RefusesOrReplacesALoneSurrogateAsThePolicySays) {
    const std::tuple<std::u16string_view, ill_formed, std::string_view> cases[] = {
        {u"ab", ill_formed::refuse, "ab"}, {u"\u00E9\U0001F600", ill_formed::refuse, "\xC3\xA9\xF0\x9F\x98\x80"},
        {u"a\xD800", ill_formed::refuse, "(refused)"}, {u"a\xD800", ill_formed::replace, "a\xEF\xBF\xBD"}};
    for (const auto& [text, policy, utf8] : cases) {
        std::string out = "stale";
        EXPECT_EQ(try_to_utf8(text, out, policy) ? out : "(refused)", utf8);
    }
}

// The same for bytes that are no UTF-8.
TEST(TryFromUtf8, RefusesOrReplacesIllFormedBytesAsThePolicySays) {
    const std::tuple<std::string_view, ill_formed, std::u16string_view> cases[] = {
        {"ab", ill_formed::refuse, u"ab"}, {"caf\xC3\xA9", ill_formed::refuse, u"caf\u00E9"},
        {"a\xFF\x62", ill_formed::refuse, u"(refused)"}, {"a\xFF\x62", ill_formed::replace, u"a\uFFFDb"}};
    for (const auto& [text, policy, utf16] : cases) {
        std::u16string out = u"stale";
        EXPECT_EQ(try_from_utf8(text, out, policy) ? out : u"(refused)", utf16);
    }
}

// Under 932 the '^' after 0x83 and the '/' after 0x81 are trail bytes; the
// 0x81 before the NUL and the one at the end are characters of their own.
// fitting() cuts only where a character ends.
TEST(AnsiCharacters, StepsOverDoubleByteCharactersWhole) {
    EXPECT_TRUE(SetAnsiCodePageForTesting(932));
    const ansi_characters walk;
    const std::string_view text = "\x83^^\x81//\x81\0a\x81"sv;
    const std::size_t answers[][2] = {
        {walk.find(text, '^', 0), 2}, {walk.find(text, '/', 0), 5}, {walk.find_last_of(text, "^/"), 5},
        {walk.next(text, 6), 7},      {walk.next(text, 9), 10},     {walk.count(text), 8},
        {walk.fitting(text, 1), 0},   {walk.fitting(text, 4), 3},   {walk.fitting(text, 10), 10}};
    for (std::size_t row = 0; row < std::size(answers); ++row) EXPECT_EQ(answers[row][0], answers[row][1]) << row;
    EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
}
