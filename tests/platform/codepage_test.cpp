#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

// Every test leaves the process on 1252, the page the suite starts with.
class AnsiCodePage : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(SetAnsiCodePageForTesting(1252)); }
};

std::u16string widen(UINT page, std::string_view bytes) {
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(size), u'\0');
    if (size > 0) {
        EXPECT_EQ(MultiByteToWideChar(page, 0, bytes.data(), length, wide.data(), size), size);
    }
    return wide;
}

// The bytes, and whether a default character was used: 'y' or 'n', or '-'
// under CP_UTF8, which takes no flag.
std::pair<std::string, char> narrow(UINT page, std::u16string_view wide, LPCCH defaultChar = nullptr) {
    const int length = static_cast<int>(wide.size());
    BOOL used = -1;
    BOOL* flag = page == CP_UTF8 ? nullptr : &used;
    const int size = WideCharToMultiByte(page, 0, wide.data(), length, nullptr, 0, defaultChar, flag);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0) {
        EXPECT_EQ(WideCharToMultiByte(page, 0, wide.data(), length, bytes.data(), size, defaultChar, flag), size);
    }
    return {bytes, used == TRUE ? 'y' : used == FALSE ? 'n' : '-'};
}

}  // namespace

TEST_F(AnsiCodePage, SwitchesOnlyToSupportedPages) {
    for (UINT page : {1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 932u, 936u, 949u, 950u}) {
        EXPECT_TRUE(SetAnsiCodePageForTesting(page)) << page;
        EXPECT_EQ(GetACP(), page);
    }
    for (UINT page : {0u, 437u, 874u, 1249u, 1259u, 65001u}) EXPECT_FALSE(SetAnsiCodePageForTesting(page)) << page;
    EXPECT_EQ(GetACP(), 950u);
}

// Runs only as the child process that the XmlxslAcp cases start.
TEST(XmlxslAcpChild, ReportsThePageTakenAtLoad) {
    const char* expected = std::getenv("XMLXSL_EXPECTED_ACP");
    if (!expected) GTEST_SKIP() << "started by the XmlxslAcp cases";
    EXPECT_EQ(GetACP(), std::stoul(expected));
    EXPECT_EQ(IsAnsiCodePageSettingValid(), std::getenv("XMLXSL_EXPECTED_VALID") != nullptr);
}

// Each value goes to a child process of this program, which takes the page
// at its load and says whether the setting was valid.
TEST(XmlxslAcp, SelectsThePageAtLoad) {
    const std::tuple<const char*, UINT, bool> values[] = {
        {nullptr, 1252, true}, {"932", 932, true},    {"1250", 1250, true}, {"437", 1252, false},
        {"65001", 1252, false}, {"", 1252, false},    {"932x", 1252, false}, {" 932", 1252, false},
        {"4294968228", 1252, false}};
    for (auto [value, page, valid] : values) {
        const std::string command = std::string("env -u XMLXSL_ACP -u XMLXSL_EXPECTED_VALID") +
                                    (value ? " XMLXSL_ACP='" + std::string(value) + "'" : "") +
                                    (valid ? " XMLXSL_EXPECTED_VALID=1" : "") +
                                    " XMLXSL_EXPECTED_ACP=" + std::to_string(page) + " '" +
                                    std::filesystem::read_symlink("/proc/self/exe").string() +
                                    "' --gtest_filter=XmlxslAcpChild.* > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

TEST_F(AnsiCodePage, EveryByteOfEachSingleBytePageSurvivesARoundTrip) {
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    for (UINT page = 1250; page <= 1258; ++page) {
        const std::u16string wide = widen(page, all);
        ASSERT_EQ(wide.size(), 256u) << page;
        EXPECT_EQ(narrow(page, wide), std::pair(all, 'n')) << page;
        ASSERT_TRUE(SetAnsiCodePageForTesting(page));
        EXPECT_EQ(widen(CP_ACP, all), wide) << page;
    }
}

using mapping = std::tuple<UINT, std::string_view, std::u16string_view>;

class PageMapping : public ::testing::TestWithParam<mapping> {};

TEST_P(PageMapping, DecodesAndEncodesBothWays) {
    const auto [page, bytes, wide] = GetParam();
    EXPECT_EQ(widen(page, bytes), wide);
    EXPECT_EQ(narrow(page, wide), std::pair(std::string(bytes), page == CP_UTF8 ? '-' : 'n'));
}

INSTANTIATE_TEST_SUITE_P(Pages, PageMapping,
                         ::testing::Values(mapping{1250, "\x8A", u"\u0160"}, mapping{1251, "\xC0\x98", u"\u0410\u0098"},
                                           mapping{1252, "\x80", u"\u20AC"}, mapping{1253, "\xC1", u"\u0391"},
                                           mapping{1254, "\xD0", u"\u011E"}, mapping{1256, "\xC7", u"\u0627"},
                                           mapping{1257, "\xC0", u"\u0104"}, mapping{1258, "\xC3\xC0", u"\u0102\u00C0"},
                                           mapping{1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
                                           // Combining marks stay characters of their own, as on Windows.
                                           mapping{1258, "A\xCC", u"A\u0300"},
                                           mapping{1255, "\xE0\xC8", u"\u05D0\u05B8"},
                                           mapping{932, "\x80\xA0\xFD\xFE\xFF", u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
                                           mapping{932, "\x5C\x7E\xA1\xDF\xF0\x40", u"\\~\uFF61\uFF9F\uE000"},
                                           // Trail bytes equal to '\', '^' and '_'.
                                           mapping{932, "\x95\x5C\x83\x5E\x81\x5F", u"\u8868\u30BF\uFF3C"},
                                           mapping{936, "\xC4\xE3\x80", u"\u4F60\u20AC"},
                                           mapping{949, "\xB0\xA1", u"\uAC00"}, mapping{950, "\xA4\x40", u"\u4E00"},
                                           mapping{CP_UTF8, "caf\xC3\xA9\0"sv, u"caf\u00E9\0"sv},
                                           mapping{CP_UTF8, "\xEF\xBB\xBF\xF0\x9F\x98\x80", u"\uFEFF\U0001F600"}));

class InvalidSequence : public ::testing::TestWithParam<mapping> {};

TEST_P(InvalidSequence, DecodesAsWindowsAndFailsWhenAskedTo) {
    const auto [page, bytes, wide] = GetParam();
    EXPECT_EQ(widen(page, bytes), wide);
    EXPECT_EQ(MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0),
              0);
}

// Under UTF-8, one U+FFFD for each maximal part that cannot become a character.
INSTANTIATE_TEST_SUITE_P(
    Pages, InvalidSequence,
    ::testing::Values(mapping{932, "\x81\x20\x42", u"\u30FBB"}, mapping{932, "\x81\x7F", u"\u30FB"},
                      mapping{932, "\x85\x40\x81\x2F", u"\u30FB\u30FB"}, mapping{932, "A\x81", u"A\u30FB"},
                      mapping{932, "\x81\0"sv, u"\u30FB\0"sv}, mapping{936, "\x81\x20\xFF", u"??"},
                      mapping{949, "\xB0", u"?"}, mapping{950, "\xA4\x7F\x41", u"?A"},
                      mapping{CP_UTF8, "a\xFF\x62", u"a\uFFFDb"}, mapping{CP_UTF8, "\xC0\x80", u"\uFFFD\uFFFD"},
                      mapping{CP_UTF8, "\xE2\x82\x41\xE2\x82", u"\uFFFDA\uFFFD"},
                      mapping{CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      mapping{CP_UTF8, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      mapping{CP_UTF8, "\xF0\x9F\x98\xC3\xA9", u"\uFFFD\u00E9"}));

TEST(MultiByteToWideChar, CountsTheU30fbAndTheNulForALeadByteBeforeTheTerminator) {
    char16_t wide[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x81", -1, wide, 3), 2);
    EXPECT_EQ(std::u16string_view(wide, 3), u"\u30FB\0x"sv);
}

// Where Windows maps a character to two codes, it encodes to the same one
// and decodes both.
TEST(WideCharToMultiByte, EncodesCp932DuplicatesToWindowsChoiceAndDecodesTheOtherCodes) {
    EXPECT_EQ(narrow(932, u"\u2252\u2261\uFFE2\u2235\u2160\u2170").first,
              "\x81\xE0\x81\xDF\x81\xCA\x81\xE6\x87\x54\xFA\x40");
    EXPECT_EQ(widen(932, "\x87\x90\x87\x9A\xFA\x5B\xFA\x4A\xEE\xEF\xEE\xF9"), u"\u2252\u2235\u2235\u2160\u2170\uFFE2");
}

TEST(WideCharToMultiByte, WritesTheDefaultCharacterForWhatThePageCannotHold) {
    // A best fit would give 'A', '8', U+0080 and '\'.
    EXPECT_EQ(narrow(1252, u"\u0100\u221E\u0080"), std::pair("???"s, 'y'));
    EXPECT_EQ(narrow(932, u"a\u00A5"), std::pair("a?"s, 'y'));
    EXPECT_EQ(narrow(1252, u"\u0100", "*").first, "*");
    EXPECT_EQ(narrow(932, u"\u00E9", "\x81\x45").first, "\x81\x45");
    // Each surrogate on its own, paired or not.
    EXPECT_EQ(narrow(1252, u"\xD800\x61\xDC00\U0001F600"), std::pair("?a???"s, 'y'));
    EXPECT_EQ(narrow(CP_UTF8, u"\u00E9\xDC00\x62\xD83D").first, "\xC3\xA9\xEF\xBF\xBD\x62\xEF\xBF\xBD");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, nullptr, 0, nullptr, nullptr), 0);
}

TEST(MultiByteToWideChar, AnswersSizeQueriesAndRefusesTooSmallBuffers) {
    char16_t wide[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, wide, 3), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, wide, 4), 4);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "ABC", 3, wide, 3), 3);
    EXPECT_EQ(std::u16string_view(wide, 5), u"ABC\0x"sv);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA\x96\x7B", 4, wide, 1), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, wide, 1), 0);
}

TEST(WideCharToMultiByte, AnswersSizeQueriesAndRefusesTooSmallBuffers) {
    char narrow[6] = "xxxxx";
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, narrow, 4, nullptr, nullptr), 4);
    EXPECT_EQ(std::string_view(narrow, 5), "abc\0x"sv);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"日本", 2, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"日本", 2, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", 1, narrow, 1, nullptr, nullptr), 0);
}

TEST(MultiByteToWideChar, RejectsBadArguments) {
    char16_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(1252, 0, nullptr, 3, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -2, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, wide, -1), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 3, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0x100, "abc", 3, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_ERR_INVALID_CHARS, "abc", 3, wide, 4), 3);
}

TEST(WideCharToMultiByte, RejectsBadArguments) {
    char narrow[4];
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(1252, 0, nullptr, 3, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 0, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -2, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, narrow, -1, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, nullptr, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(437, 0, u"abc", 3, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"abc", 3, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, u"abc", 3, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 4, "?", nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 4, nullptr, &used), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, u"abc", 3, narrow, 4, nullptr, &used), 3);
}

class LongText : public ::testing::TestWithParam<UINT> {};

// ASCII runs of every length up to 16 between other characters cross the
// eight-byte steps of the ASCII path and iconv's chunks at every offset.
TEST_P(LongText, SurvivesARoundTrip) {
    const UINT page = GetParam();
    const std::string_view other = page == 932 ? "\x93\xFA"sv : page == CP_UTF8 ? "\xE6\x97\xA5"sv : "\xE9"sv;
    std::string bytes;
    std::u16string wide;
    for (std::size_t i = 0; i < 20000; ++i) {
        bytes.append(i % 17, 'x').append(other);
        wide.append(i % 17, u'x').push_back(page == 1252 ? u'\u00E9' : u'日');
    }
    EXPECT_EQ(widen(page, bytes), wide);
    EXPECT_EQ(narrow(page, wide).first, bytes);
}

INSTANTIATE_TEST_SUITE_P(Pages, LongText, ::testing::Values(1252u, 932u, CP_UTF8));

TEST(MultiByteToWideChar, GivesTheSameAnswersOnConcurrentThreads) {
    auto convert = [](UINT page, std::string_view bytes, std::u16string_view expected, int* agreed) {
        for (int i = 0; i < 200; ++i) *agreed += widen(page, bytes) == expected;
    };
    int agreed[3] = {};
    std::thread utf8(convert, CP_UTF8, "\xE6\x97\xA5\xFF", u"日\uFFFD", &agreed[0]);
    std::thread cp936(convert, 936, "\xC4\xE3", u"\u4F60", &agreed[1]);
    convert(CP_UTF8, "\xC3\xA9\xE2\x82", u"\u00E9\uFFFD", &agreed[2]);
    utf8.join();
    cp936.join();
    EXPECT_EQ(std::vector(agreed, agreed + 3), std::vector({200, 200, 200}));
}

// 表 is 0x95 0x5C and タ is 0x83 0x5E: their trail bytes are no '\' or '^'.
// A lead byte takes even a '/' as its trail, as on Windows.
TEST_F(AnsiCodePage, IsDbcsLeadByteAndCharNextAFollowTheCurrentPage) {
    const char text[] = "\x95\x5C\\\x83\x5E^\x81/\xA1\x61\x81";
    EXPECT_FALSE(IsDBCSLeadByte(0x81));
    EXPECT_EQ(CharNextA(text), text + 1);
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    for (BYTE lead : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsDBCSLeadByte(lead)) << int{lead};
    for (BYTE other : {0x5C, 0x80, 0xA0, 0xDF, 0xFD}) EXPECT_FALSE(IsDBCSLeadByte(other)) << int{other};
    const char* at = text;
    for (std::ptrdiff_t expected : {2, 3, 5, 6, 8, 9, 10, 11, 11}) {
        at = CharNextA(at);
        EXPECT_EQ(at - text, expected);
    }
    EXPECT_EQ(CharNextA(nullptr), nullptr);
}

TEST(GetCPInfo, DescribesEachPageAndRejectsOthersAndNullInfo) {
    const std::tuple<UINT, UINT, std::string_view> pages[] = {
        {CP_ACP, 1u, ""sv}, {CP_UTF8, 4u, ""sv}, {932u, 2u, "\x81\x9F\xE0\xFC"sv}, {936u, 2u, "\x81\xFE"sv}};
    for (const auto& [page, maxCharSize, leadBytes] : pages) {
        CPINFO info;
        ASSERT_TRUE(GetCPInfo(page, &info)) << page;
        EXPECT_EQ(info.MaxCharSize, maxCharSize) << page;
        EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(info.DefaultChar), 2), "?\0"sv);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.LeadByte), MAX_LEADBYTES),
                  std::string(leadBytes) + std::string(MAX_LEADBYTES - leadBytes.size(), '\0'))
            << page;
    }
    CPINFO info;
    EXPECT_FALSE(GetCPInfo(437, &info));
    EXPECT_FALSE(GetCPInfo(1252, nullptr));
}
