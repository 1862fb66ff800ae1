#include "localise/resource_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/file_seam.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

bool CanOpenExclusively(const std::string& path) {
    CFile other;
    return other.Open(path.c_str(), CFile::modeRead) != FALSE;
}

// An absent key is listed with a null value.
void ExpectEntries(const CReader& reader, const std::vector<std::pair<std::string, const char*>>& entries) {
    for (const auto& [key, expected] : entries) {
        std::string value = "stale";
        EXPECT_EQ(reader.getString(key, value), expected ? kShortOk : kShortResource) << key;
        EXPECT_EQ(value, expected ? expected : "") << key;
    }
}

struct file_case {
    const char* label;
    std::string content;
    ShortStatus status;
    std::vector<std::pair<std::string, const char*>> entries;
};

class CReaderFile : public ::testing::TestWithParam<file_case> {};

TEST_P(CReaderFile, ReadsEntriesAppendingNothingAndClosesFile) {
    TempFolder folder;
    const std::string path = folder.file("strings.res");
    WriteFileBytes(path, GetParam().content);
    const std::size_t start = gXSLErrorMsg.size();
    CReader reader;
    EXPECT_EQ(reader.readFile(path), GetParam().status);
    ExpectEntries(reader, GetParam().entries);
    EXPECT_EQ(gXSLErrorMsg.substr(start), "");
    EXPECT_TRUE(CanOpenExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CReaderFile,
    ::testing::Values(
        file_case{"EmptyFile", "", kShortOk, {{"", nullptr}}},
        file_case{"BlankAndCommentLinesSkipped",
                  "\n \t \n# 0001 text\n   #0002 x\r\n\v\f\n",
                  kShortOk,
                  {{"#", nullptr}, {"0001", nullptr}, {"#0002", nullptr}}},
        file_case{"TabThenBlanksInnerBlanksKept",
                  "AB12\t   a  b\n0001  two words\n",
                  kShortOk,
                  {{"AB12", "a  b"}, {"0001", "two words"}}},
        file_case{
            "SurroundingWhiteSpaceTrimmed", " \v\fK1 value \t\v\f\r\nK2 v2", kShortOk, {{"K1", "value"}, {"K2", "v2"}}},
        file_case{"LaterKeyWins", "K1 first\nK1 second\n", kShortOk, {{"K1", "second"}}},
        file_case{"KeysCompareExactly",
                  "AB12 one\nAB123 two\nab12 three\n",
                  kShortOk,
                  {{"AB12", "one"}, {"AB123", "two"}, {"ab12", "three"}, {"AB1", nullptr}}},
        file_case{"HashAndMarkupAreText", "K#1 a # b <i>&amp;</i>\n", kShortOk, {{"K#1", "a # b <i>&amp;</i>"}}},
        file_case{"SingleWordStopsReading",
                  "K1 v1\nLONELY\nK2 v2\n",
                  kShortResourceLine,
                  {{"K1", "v1"}, {"LONELY", nullptr}, {"K2", nullptr}}},
        file_case{"VerticalTabIsNoSeparator", "K1\vv\n", kShortResourceLine, {{"K1", nullptr}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CReader, MergesDoubledSeparatorsForOpenAndMessageKeepingEntries) {
    TempFolder folder;
    WriteFileBytes(folder.file("a.res"), "K1 v1\n");
    CReader reader;
    ASSERT_EQ(reader.readFile(folder.path().string() + "//a.res"), kShortOk);
    const std::size_t start = gXSLErrorMsg.size();
    EXPECT_EQ(reader.readFile(folder.path().string() + "//de///missing.res"), kShortFileOpen);
    EXPECT_EQ(gXSLErrorMsg.substr(start), folder.path().string() + "/de//missing.res could not be opened.\n");
    ExpectEntries(reader, {{"K1", "v1"}});
}

TEST(CReader, RefusesFileHeldOpenElsewhere) {
    TempFolder folder;
    const std::string path = folder.file("held.res");
    WriteFileBytes(path, "K1 v1\n");
    CFile holder;
    ASSERT_TRUE(holder.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive));
    const std::size_t start = gXSLErrorMsg.size();
    CReader reader;
    EXPECT_EQ(reader.readFile(path), kShortFileOpen);
    EXPECT_EQ(gXSLErrorMsg.substr(start), path + " could not be opened.\n");
    ExpectEntries(reader, {{"K1", nullptr}});
}

// Reads that succeed before every later one fails.
int gReadsLeft = 0;
std::ptrdiff_t read_then_fail(int descriptor, void* buffer, std::size_t count) {
    if (gReadsLeft-- > 0) return real_file_system_calls().read(descriptor, buffer, count);
    errno = EIO;
    return -1;
}

TEST(CReader, ReportsReadFailureKeepingLinesReadBefore) {
    TempFolder folder;
    const std::string path = folder.file("strings.res");
    WriteFileBytes(path, "K1 v1\nK2 v2\n");
    const std::size_t start = gXSLErrorMsg.size();
    CReader reader;
    file_system_calls calls = real_file_system_calls();
    calls.read = read_then_fail;
    gReadsLeft = 1;
    {
        scoped_file_system_calls seam(calls);
        EXPECT_EQ(reader.readFile(path), kShortRead);
    }
    EXPECT_EQ(gXSLErrorMsg.substr(start), "ReadString exception in CReader::readFile\n");
    ExpectEntries(reader, {{"K1", "v1"}, {"K2", "v2"}});
    EXPECT_TRUE(CanOpenExclusively(path));
}

}  // namespace
