#include "report/text_loader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/file_seam.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

using namespace std::string_literals;

namespace {

int gReadsLeft = 0;

// Through a doubled separator, which the loader merges, as in the message
// for a file that cannot be opened. A failure keeps the text and the whole
// lines read before it; the file is closed whatever happens.
TEST(CXMLMem, AppendsEachLineWithOneLineFeedAndClosesTheFile) {
    TempFolder folder;
    const std::string path = folder.file("a.xsl");
    const std::size_t start = gXSLErrorMsg.size();
    CXMLMem loader;
    ASSERT_EQ(loader.init("held\n"), kShortOk);
    WriteFileBytes(path, "a\r\n\n\r\nb\rc\0d\r\nlast"s);
    EXPECT_EQ(loader.readFile(folder.path().string() + "//a.xsl"), kShortOk);
    const std::string lines = "held\na\n\n\nb\rc\0d\nlast\n"s;
    EXPECT_EQ(loader.getText(), lines);
    EXPECT_TRUE(AnotherProcessCanLock(path));
    EXPECT_EQ(gXSLErrorMsg.substr(start), "");
    EXPECT_EQ(loader.readFile(folder.path().string() + "///missing.xsl"), kShortFileOpen);
    EXPECT_EQ(loader.getText(), lines);

    WriteFileBytes(path, "one\r\ntwo\npartial");
    file_system_calls calls = real_file_system_calls();
    calls.read = [](int descriptor, void* buffer, std::size_t count) -> std::ptrdiff_t {
        if (gReadsLeft-- > 0) return real_file_system_calls().read(descriptor, buffer, count);
        errno = EIO;
        return -1;
    };
    gReadsLeft = 1;
    {
        scoped_file_system_calls seam(calls);
        EXPECT_EQ(loader.readFile(path), kShortRead);
    }
    EXPECT_EQ(loader.getText(), lines + "one\ntwo\n");
    EXPECT_EQ(gXSLErrorMsg.substr(start), folder.path().string() +
                                              "//missing.xsl could not be opened.\n"
                                              "ReadString exception in CXMLMem::readFile\n");
    EXPECT_TRUE(AnotherProcessCanLock(path));
}

}  // namespace
