#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>

using namespace std::string_view_literals;

// The conversions into a buffer that is large enough.
static std::u16string widen(UINT page, std::string_view bytes, DWORD flags = 0) {
    char16_t wide[64];
    const int written = MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), wide, 64);
    return {wide, static_cast<std::size_t>(written)};
}

static std::string narrow(UINT page, std::u16string_view wide, BOOL* usedDefaultChar = nullptr) {
    char bytes[64];
    const int written =
        WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), bytes, 64, nullptr, usedDefaultChar);
    return {bytes, static_cast<std::size_t>(written)};
}

// Each setting goes to a child process of this program, which runs this
// test with XMLXSL_EXPECTED set: it takes the page at its load and says
// whether the setting was valid.
TEST(XmlxslAcp, SelectsThePageAtLoad) {
    if (const char* expected = std::getenv("XMLXSL_EXPECTED")) {
        EXPECT_EQ(std::to_string(GetACP()) + (IsAnsiCodePageSettingValid() ? " valid" : " invalid"), expected);
        return;
    }
    const std::pair<const char*, const char*> settings[] = {
        {"-u XMLXSL_ACP", "1252 valid"}, {"XMLXSL_ACP=932", "932 valid"}, {"XMLXSL_ACP=437", "1252 invalid"},
        {"XMLXSL_ACP=", "1252 invalid"}, {"XMLXSL_ACP=932x", "1252 invalid"}};
    for (const auto& [setting, expected] : settings) {
        const std::string command = "env " + std::string(setting) + " XMLXSL_EXPECTED='" + expected + "' '" +
                                    std::filesystem::read_symlink("/proc/self/exe").string() +
                                    "' --gtest_filter=XmlxslAcp.SelectsThePageAtLoad > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

using mapping = std::tuple<UINT, std::string_view, std::u16string_view, bool>;

class PageMapping : public ::testing::TestWithParam<mapping> {};

// Valid text maps both ways. An invalid sequence decodes as Windows decodes
// it, and fails when asked to.
TEST_P(PageMapping, DecodesAsWindowsAndEncodesBack) {
    const auto [page, bytes, wide, valid] = GetParam();
    EXPECT_EQ(widen(page, bytes), wide);
    EXPECT_EQ(widen(page, bytes, MB_ERR_INVALID_CHARS), valid ? wide : u"");
    if (!valid) return;
    EXPECT_EQ(narrow(page, wide), bytes);
}

// Windows gives the bytes that 1251 and 1252 leave unassigned their own
// numbers; combining marks stay characters of their own; under 932 0x80,
// 0xA0 and 0xFD to 0xFF are Windows' own, and trail bytes equal to '\', '^'
// and '_' belong to their characters.
INSTANTIATE_TEST_SUITE_P(
    Valid, PageMapping,
    ::testing::Values(mapping{1250, "\x8A", u"\u0160", true}, mapping{1251, "\xC0\x98", u"\u0410\u0098", true},
                      mapping{1252, "\x80\x81\x8D\x8F\x90\x9D", u"\u20AC\u0081\u008D\u008F\u0090\u009D", true},
                      mapping{1253, "\xC1", u"\u0391", true}, mapping{1254, "\xD0", u"\u011E", true},
                      mapping{1255, "\xE0\xC8", u"\u05D0\u05B8", true}, mapping{1256, "\xC7", u"\u0627", true},
                      mapping{1257, "\xC0", u"\u0104", true},
                      mapping{1258, "\xC3\xC0\x41\xCC", u"\u0102\u00C0A\u0300", true},
                      mapping{932, "\x80\xA0\xFD\xFE\xFF\x5C\x7E\xA1\xDF\xF0\x40\x95\x5C\x83\x5E\x81\x5F",
                              u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3\\~\uFF61\uFF9F\uE000\u8868\u30BF\uFF3C", true},
                      mapping{936, "\xC4\xE3\x80", u"\u4F60\u20AC", true}, mapping{949, "\xB0\xA1", u"\uAC00", true},
                      mapping{950, "\xA4\x40", u"\u4E00", true},
                      mapping{CP_UTF8, "caf\xC3\xA9\0\xEF\xBB\xBF\xF0\x9F\x98\x80"sv, u"caf\u00E9\0\uFEFF\U0001F600"sv,
                              true}));

// Under 932 a lead byte before a space, 0x7F, an unassigned pair's trail or
// the end is U+30FB; before a NUL, U+30FB then the NUL. The other double-byte
// pages give '?'. Under UTF-8, one U+FFFD for each maximal part that cannot
// become a character.
INSTANTIATE_TEST_SUITE_P(
    Invalid, PageMapping,
    ::testing::Values(mapping{932, "\x81\x20\x42\x81\x7F\x85\x40\x81\x2F\x81\0A\x81"sv,
                              u"\u30FBB\u30FB\u30FB\u30FB\u30FB\0A\u30FB"sv, false},
                      mapping{936, "\x81\x20\xFF", u"??", false}, mapping{949, "\xB0", u"?", false},
                      mapping{950, "\xA4\x7F\x41", u"?A", false},
                      mapping{CP_UTF8, "a\xFF\x62\xC0\x80\xE2\x82\x41\xE2\x82", u"a\uFFFDb\uFFFD\uFFFD\uFFFDA\uFFFD",
                              false}));

// Where Windows maps a character to two codes, it encodes to the same one
// and decodes both. What the page cannot hold becomes the default character,
// where a best fit would give 'A', '8', U+0080 and '\'; each surrogate goes
// on its own, paired or not.
TEST(WideCharToMultiByte, EncodesAsWindowsDoesWithoutABestFit) {
    EXPECT_EQ(narrow(932, u"\u2252\u2261\uFFE2\u2235\u2160\u2170"), "\x81\xE0\x81\xDF\x81\xCA\x81\xE6\x87\x54\xFA\x40");
    EXPECT_EQ(widen(932, "\x87\x90\x87\x9A\xFA\x5B\xFA\x4A\xEE\xEF\xEE\xF9"), u"\u2252\u2235\u2235\u2160\u2170\uFFE2");
    BOOL used = FALSE;
    EXPECT_EQ(narrow(1252, u"\u0100\u221E\u0080\xD800\x61\xDC00\U0001F600", &used), "????a???");
    EXPECT_TRUE(used);
    EXPECT_EQ(narrow(932, u"a\u00A5"), "a?");
}

// A lead byte takes even a '/' as its trail, as on Windows, but not a NUL;
// at the NUL CharNextA stays.
TEST(IsDBCSLeadByte, FollowsTheCurrentPageAsCharNextADoes) {
    const char text[] = "\x81/\x81";
    EXPECT_EQ(CharNextA(text), text + 1);
    EXPECT_TRUE(SetAnsiCodePageForTesting(932));
    for (BYTE lead : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsDBCSLeadByte(lead)) << int{lead};
    for (BYTE other : {0x5C, 0x80, 0xA0, 0xDF, 0xFD}) EXPECT_FALSE(IsDBCSLeadByte(other)) << int{other};
    EXPECT_EQ(CharNextA(text), text + 2);
    EXPECT_EQ(CharNextA(text + 2), text + 3);
    EXPECT_EQ(CharNextA(text + 3), text + 3);
    EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
}
