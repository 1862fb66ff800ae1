#include "report/text_loader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/file.h"
#include "platform/file_seam.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

bool CanOpenExclusively(const std::string& path) {
    CFile other;
    return other.Open(path.c_str(), CFile::modeRead) != FALSE;
}

class TextLoader : public ::testing::Test {
protected:
    std::string appended() const { return gXSLErrorMsg.substr(errorsBefore_); }

    TempFolder folder_;
    CXMLMem loader_;

private:
    std::size_t errorsBefore_ = gXSLErrorMsg.size();
};

struct file_case {
    const char* label;
    std::string content;
    std::string lines;
};

class TextLoaderFile : public TextLoader, public ::testing::WithParamInterface<file_case> {};

TEST_P(TextLoaderFile, AppendsEachLineWithOneLineFeedThroughDoubledSeparators) {
    WriteFileBytes(folder_.file("a.xsl"), GetParam().content);
    ASSERT_EQ(loader_.init("held\n"), kShortOk);
    EXPECT_EQ(loader_.readFile(folder_.path().string() + "//a.xsl"), kShortOk);
    EXPECT_EQ(loader_.getText(), "held\n" + GetParam().lines);
    EXPECT_EQ(appended(), "");
    EXPECT_TRUE(CanOpenExclusively(folder_.file("a.xsl")));
}

INSTANTIATE_TEST_SUITE_P(Lines, TextLoaderFile,
                         ::testing::Values(file_case{"CrLfBecomesLf", "a\r\nb\r\n", "a\nb\n"},
                                           file_case{"LastLineWithoutBreakGetsLineFeed", "a\nlast", "a\nlast\n"},
                                           file_case{"EmptyFileAppendsNothing", "", ""},
                                           file_case{"EmptyLinesAndLoneCarriageReturnKept", "\n\r\na\rb\n",
                                                     "\n\na\rb\n"},
                                           file_case{"NulBytesKept", std::string("a\0b", 3), std::string("a\0b\n", 4)},
                                           file_case{"LineLongerThanReadAhead", std::string(100000, 'x') + "\r\ny",
                                                     std::string(100000, 'x') + "\ny\n"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(TextLoader, OpenFailureNamesMergedPathAndKeepsText) {
    const std::string held = folder_.file("held.xsl");
    WriteFileBytes(held, "x\n");
    CFile holder;
    ASSERT_TRUE(holder.Open(held.c_str(), CFile::modeRead));
    ASSERT_EQ(loader_.init("held"), kShortOk);
    EXPECT_EQ(loader_.readFile(folder_.path().string() + "///missing.xsl"), kShortFileOpen);
    EXPECT_EQ(loader_.readFile(held), kShortFileOpen);
    EXPECT_EQ(loader_.readFile(folder_.path().string()), kShortFileOpen);
    EXPECT_EQ(appended(), folder_.path().string() + "//missing.xsl could not be opened.\n" + held +
                              " could not be opened.\n" + folder_.path().string() + " could not be opened.\n");
    EXPECT_EQ(loader_.getText(), "held");
}

TEST_F(TextLoader, LongPathMessageIsCutTo255Characters) {
    std::string path = folder_.path().string() + "/";
    path.append(240 - path.size(), 'n');
    EXPECT_EQ(loader_.readFile(path), kShortFileOpen);
    EXPECT_EQ(appended(), path + " could not be o");
}

int gReadsLeft = 0;

TEST_F(TextLoader, ReadErrorKeepsWholeLinesBeforeItAndClosesFile) {
    const std::string path = folder_.file("a.xsl");
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
        EXPECT_EQ(loader_.readFile(path), kShortRead);
    }
    EXPECT_EQ(loader_.getText(), "one\ntwo\n");
    EXPECT_EQ(appended(), "ReadString exception in CXMLMem::readFile\n");
    EXPECT_TRUE(CanOpenExclusively(path));
}

}  // namespace
