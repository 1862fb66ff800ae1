#include <gtest/gtest.h>

#include <cstring>

#include "platform/unique_bstr.h"

// The layout: a 32-bit byte count, the characters (an embedded NUL kept),
// then a NUL. Given no text, the characters are zeroes. An empty string is
// a BSTR; null is none: it frees as nothing and measures 0.
TEST(SysAllocStringLen, StoresByteCountBeforeAndNulAfterTheCharacters) {
    unique_bstr text(SysAllocStringLen(u"a\0b", 3)), zeroes(SysAllocStringLen(nullptr, 2));
    DWORD count = 0;
    std::memcpy(&count, reinterpret_cast<const char*>(text.get()) - sizeof count, sizeof count);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(SysStringByteLen(text.get()), 6u);
    EXPECT_EQ(std::u16string_view(text.get(), 4), std::u16string_view(u"a\0b\0", 4));
    EXPECT_EQ(std::u16string_view(zeroes.get(), 3), std::u16string_view(u"\0\0\0", 3));
    EXPECT_NE(unique_bstr(SysAllocString(u"")).get(), nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}
