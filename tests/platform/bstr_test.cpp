#include <gtest/gtest.h>

#include <cstring>

#include "platform/unique_bstr.h"
#include "tests/platform/ole_fakes.h"

namespace {

DWORD stored_byte_count(BSTR text) {
    DWORD count = 0;
    std::memcpy(&count, reinterpret_cast<const char*>(text) - sizeof(DWORD), sizeof(DWORD));
    return count;
}

}  // namespace

TEST(SysAllocString, StoresByteCountBeforeAndNulAfterTheCharacters) {
    unique_bstr text(SysAllocString(u"abc"));
    EXPECT_EQ(stored_byte_count(text.get()), 6u);
    EXPECT_EQ(SysStringByteLen(text.get()), 6u);
    EXPECT_EQ(std::u16string_view(text.get(), 4), std::u16string_view(u"abc\0", 4));
    unique_bstr empty(SysAllocString(u""));
    ASSERT_NE(empty.get(), nullptr);
    EXPECT_EQ(stored_byte_count(empty.get()), 0u);
    EXPECT_EQ(empty.get()[0], u'\0');
}

TEST(SysAllocString, TakesANullStringAsNoString) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(SysAllocStringLen, KeepsEmbeddedNulAndZeroesWhenGivenNoText) {
    unique_bstr text(SysAllocStringLen(u"a\0b", 3));
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(std::u16string_view(text.get(), 4), std::u16string_view(u"a\0b\0", 4));
    unique_bstr zeroes(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(stored_byte_count(zeroes.get()), 4u);
    EXPECT_EQ(std::u16string_view(zeroes.get(), 3), std::u16string_view(u"\0\0\0", 3));
}

TEST(SysAllocStringLen, RefusesStringsOfTwoGibibytesOrMore) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x40000000), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFF), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0x80000000), nullptr);
}

TEST(SysAllocStringByteLen, KeepsAnOddByteCountAndTerminatesAfterIt) {
    unique_bstr text(SysAllocStringByteLen("abc", 3));
    EXPECT_EQ(SysStringByteLen(text.get()), 3u);
    EXPECT_EQ(SysStringLen(text.get()), 1u);
    EXPECT_EQ(std::memcmp(text.get(), "abc\0\0", 5), 0);
    unique_bstr zeroes(SysAllocStringByteLen(nullptr, 1));
    EXPECT_EQ(std::memcmp(zeroes.get(), "\0\0\0", 3), 0);
}
