#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <new>
#include <string_view>

#include "platform/codepage.h"
#include "platform/fault_injection.h"

using namespace std::string_view_literals;

namespace {

// Every test leaves the process on 1252, the page the suite starts with.
class AnsiText : public ::testing::Test {
protected:
    void TearDown() override {
        FailOleAllocationsAfter(-1);
        EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
    }
};

std::u16string_view view(const unique_bstr& text) { return {text.get(), text.length()}; }

}  // namespace

TEST_F(AnsiText, ToAnsiStopsAtTheFirstNulUnlessGivenALength) {
    unique_bstr text(SysAllocStringLen(u"a\0\u20AC\u0100", 4));
    EXPECT_EQ(to_ansi(text.get()), "a");
    EXPECT_EQ(to_ansi(text.get(), 4), "a\0\x80?"sv);
    EXPECT_EQ(to_ansi(nullptr), "");
    EXPECT_EQ(to_ansi(text.get(), 0), "");
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(to_ansi(u"日本x", 3), "\x93\xFA\x96\x7Bx");
}

TEST_F(AnsiText, ToBstrAndToWideKeepEveryByteAndTheExactLength) {
    EXPECT_EQ(view(to_bstr("a\0\x80"sv)), u"a\0\u20AC"sv);
    EXPECT_EQ(to_wide("a\0\x80"sv), u"a\0\u20AC"sv);
    const unique_bstr empty = to_bstr("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_EQ(to_wide(""), u"");
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(view(to_bstr("\x93\xFA\x96\x7B\x61")), u"日本a");
    EXPECT_EQ(to_wide("\x93\xFA\x81"), u"日\u30FB");
}

TEST_F(AnsiText, ToBstrThrowsBadAllocWhenAllocationFails) {
    FailOleAllocationsAfter(0);
    EXPECT_THROW(to_bstr("abc"), std::bad_alloc);
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    // The second allocation is the one of exact length.
    FailOleAllocationsAfter(1);
    EXPECT_THROW(to_bstr("\x93\xFA"), std::bad_alloc);
    EXPECT_FALSE(OleAllocationFailurePending());
}
