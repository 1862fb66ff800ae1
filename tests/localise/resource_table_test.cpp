#include "localise/resource_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/file_seam.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

// Each key with its value; an absent key with a null value.
using Entries = std::vector<std::pair<std::string, const char*>>;

// Through a doubled separator, which the reader merges, as in the message
// for a file that cannot be opened. Only a failure appends a line; the file
// is closed whatever happens.
TEST(CReader, ReadsTheEntriesOfEachLineAndClosesTheFile) {
    const std::tuple<const char*, ShortStatus, Entries> cases[] = {
        {"", kShortOk, {{"", nullptr}}},
        // Blank and comment lines; a tab or blanks after the key; white space
        // around the value trimmed, within it kept; keys exact; # and markup
        // text; of two lines with one key the last.
        {"\n \t \n   #0002 x\r\n\v\f\nK1 first\nAB12\t   a  b\nab12 three\nK#1 a # b <i>&amp;</i>\n"
         " \v\fK1 value \t\v\f\r\nK2 v2",
         kShortOk,
         {{"#0002", nullptr},
          {"AB12", "a  b"},
          {"ab12", "three"},
          {"K1", "value"},
          {"K#1", "a # b <i>&amp;</i>"},
          {"K2", "v2"}}},
        // A key alone (a vertical tab is no separator) stops the reading.
        {"K1 v1\nK1\vv\nK2 v2\n", kShortResourceLine, {{"K1", "v1"}, {"K2", nullptr}}},
    };
    TempFolder folder;
    const std::string path = folder.file("strings.res");
    const std::size_t start = gXSLErrorMsg.size();
    for (const auto& [content, status, entries] : cases) {
        WriteFileBytes(path, content);
        CReader reader;
        EXPECT_EQ(reader.readFile(folder.path().string() + "//strings.res"), status) << content;
        for (const auto& [key, expected] : entries) {
            std::string value = "stale";
            EXPECT_EQ(reader.getString(key, value), expected ? kShortOk : kShortResource) << key;
            EXPECT_EQ(value, expected ? expected : "") << key;
        }
        EXPECT_TRUE(AnotherProcessCanLock(path));
    }
    EXPECT_EQ(gXSLErrorMsg.substr(start), "");

    CReader reader;
    EXPECT_EQ(reader.readFile(folder.path().string() + "///missing.res"), kShortFileOpen);

    file_system_calls calls = real_file_system_calls();
    calls.read = [](int, void*, std::size_t) -> std::ptrdiff_t {
        errno = EIO;
        return -1;
    };
    {
        scoped_file_system_calls seam(calls);
        EXPECT_EQ(reader.readFile(path), kShortRead);
    }
    EXPECT_EQ(gXSLErrorMsg.substr(start), folder.path().string() +
                                              "//missing.res could not be opened.\n"
                                              "ReadString exception in CReader::readFile\n");
    EXPECT_TRUE(AnotherProcessCanLock(path));
}

}  // namespace
