#include "platform/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/file_seam.h"

namespace {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// flock(1) from another process, which an open file object here must block.
bool can_lock_from_another_process(const fs::path& path) {
    return std::system(("flock -n '" + path.string() + "' true").c_str()) == 0;
}

template <typename Body>
CFileException caught_file_exception(Body body) {
    try {
        body();
    } catch (const CFileException& error) {
        return error;
    }
    ADD_FAILURE() << "no CFileException raised";
    return {};
}

// The calls a fake entry of the seam can count or fail.
int gCloseCalls = 0;
int gReadCalls = 0;
int gInterruptionsLeft = 0;

// A folder of its own for each test, named after it, removed after it.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* configured = std::getenv("XMLXSL_TEST_TMP");
        fs::path root = configured != nullptr && *configured != '\0' ? fs::path(configured) : fs::temp_directory_path();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("file-") + test->test_suite_name() + "-" + test->name() + "-" +
                           std::to_string(std::random_device{}());
        std::replace(name.begin(), name.end(), '/', '-');
        fs::create_directories(root / name);
        folder_ = fs::canonical(root / name);
        gCloseCalls = 0;
        gReadCalls = 0;
        gInterruptionsLeft = 0;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string path(const char* name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

TEST_F(FileTest, LockBlocksAnotherProcessUntilClose) {
    write_file(path("a.txt"), "x");
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeRead));
    EXPECT_FALSE(can_lock_from_another_process(path("a.txt")));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(can_lock_from_another_process(path("a.txt")));
}

TEST_F(FileTest, DestructorReleasesTheLock) {
    {
        CFile file;
        ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    }
    EXPECT_TRUE(can_lock_from_another_process(path("a.txt")));
}

struct OpenPair {
    UINT first;
    UINT second;
};

class SecondOpen : public FileTest, public ::testing::WithParamInterface<OpenPair> {};

TEST_P(SecondOpen, IsRefusedWhileTheFirstHoldsTheLock) {
    write_file(path("a.txt"), "keep me");
    CFile first;
    ASSERT_TRUE(first.Open(path("a.txt").c_str(), GetParam().first));
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(path("a.txt").c_str(), GetParam().second, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(EWOULDBLOCK, error.m_lOsError);
    EXPECT_EQ(path("a.txt"), error.m_strFileName);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(first.IsOpen());
    first.Close();
    EXPECT_EQ("keep me", read_file(path("a.txt")));
}

INSTANTIATE_TEST_SUITE_P(CFileOpen, SecondOpen,
                         ::testing::Values(OpenPair{CFile::modeRead, CFile::modeRead},
                                           OpenPair{CFile::modeRead, CFile::modeCreate | CFile::modeWrite},
                                           OpenPair{CFile::modeWrite, CFile::modeRead},
                                           OpenPair{CFile::modeReadWrite, CFile::modeCreate | CFile::modeReadWrite}));

class FolderOpen : public FileTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(FolderOpen, IsRefused) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(folder_.c_str(), GetParam(), &error));
    EXPECT_EQ(CFileException::accessDenied, error.m_cause);
    EXPECT_EQ(EISDIR, error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(fs::is_directory(folder_));
}

INSTANTIATE_TEST_SUITE_P(CFileOpen, FolderOpen,
                         ::testing::Values(CFile::modeRead, CFile::modeWrite, CFile::modeReadWrite,
                                           CFile::modeCreate | CFile::modeWrite));

TEST_F(FileTest, OpenWithoutCreateNeedsAnExistingFile) {
    for (UINT mode : {UINT{CFile::modeRead}, UINT{CFile::modeWrite}}) {
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(path("missing.txt").c_str(), mode, &error));
        EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
        EXPECT_EQ(ENOENT, error.m_lOsError);
        EXPECT_EQ(path("missing.txt"), error.m_strFileName);
        EXPECT_FALSE(fs::exists(path("missing.txt")));
    }
}

TEST_F(FileTest, CreateTruncatesUnlessAskedNotTo) {
    write_file(path("a.txt"), "old content");
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    file.Close();
    EXPECT_EQ("old content", read_file(path("a.txt")));
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ("new", read_file(path("a.txt")));
}

TEST_F(FileTest, OpenObjectRefusesAnotherOpen) {
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_FALSE(file.Open(path("b.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(path("a.txt"), file.GetFilePath());
    EXPECT_FALSE(fs::exists(path("b.txt")));
}

// Restores the working directory that a test changes.
class scoped_working_directory {
public:
    explicit scoped_working_directory(const fs::path& path) : previous_(fs::current_path()) { fs::current_path(path); }
    ~scoped_working_directory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

struct PathCase {
    const char* workingDirectory;
    const char* name;
    const char* recorded;
};

void PrintTo(const PathCase& path, std::ostream* out) { *out << path.workingDirectory << " + " << path.name; }

class RecordedPath : public FileTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(RecordedPath, IsAbsoluteAndLexicallyNormal) {
    fs::create_directories(folder_ / "a" / "b");
    fs::create_directory_symlink(folder_ / "a" / "b", folder_ / "link");
    write_file(folder_ / "a" / "b" / "f.txt", "x");
    scoped_working_directory workingDirectory(folder_ / GetParam().workingDirectory);

    CFile file;
    EXPECT_EQ("", file.GetFilePath());
    ASSERT_TRUE(file.Open(GetParam().name, CFile::modeRead));
    EXPECT_EQ((folder_ / GetParam().recorded).string(), file.GetFilePath());
    file.Close();
    EXPECT_EQ((folder_ / GetParam().recorded).string(), file.GetFilePath());
}

INSTANTIATE_TEST_SUITE_P(CFileGetFilePath, RecordedPath,
                         ::testing::Values(PathCase{"a/b", "f.txt", "a/b/f.txt"},
                                           PathCase{"a/b", "./f.txt", "a/b/f.txt"},
                                           PathCase{"a/b", "../b/f.txt", "a/b/f.txt"},
                                           PathCase{"a/b", "..//b/.//f.txt", "a/b/f.txt"},
                                           PathCase{"a", "b/../../a/b/f.txt", "a/b/f.txt"},
                                           // getcwd gives the working directory with its links resolved.
                                           PathCase{"link", "f.txt", "a/b/f.txt"},
                                           // The system opens a/b/f.txt; the name
                                           // is folded without resolving the link.
                                           PathCase{".", "link/../b/f.txt", "b/f.txt"}));

TEST_F(FileTest, AbsoluteNameIsNormalisedToo) {
    fs::create_directories(folder_ / "a");
    write_file(folder_ / "a" / "f.txt", "x");
    CFile file;
    ASSERT_TRUE(file.Open((folder_.string() + "//a/./f.txt").c_str(), CFile::modeRead));
    EXPECT_EQ(path("a/f.txt"), file.GetFilePath());
}

TEST_F(FileTest, ClosedObjectRaisesInvalidFile) {
    CFile file;
    char buffer[1];
    EXPECT_EQ(CFileException::invalidFile, caught_file_exception([&] { file.Read(buffer, 1); }).m_cause);
    EXPECT_EQ(CFileException::invalidFile, caught_file_exception([&] { file.Write("x", 1); }).m_cause);
    EXPECT_EQ(CFileException::invalidFile, caught_file_exception([&] { file.SeekToBegin(); }).m_cause);
    EXPECT_EQ(CFileException::invalidFile, caught_file_exception([&] { file.Flush(); }).m_cause);
    EXPECT_NO_THROW(file.Close());
    EXPECT_NO_THROW(file.Abort());
}

TEST_F(FileTest, RefusedOpenReportsTheSystemError) {
    file_system_calls calls = real_file_system_calls();
    calls.open = [](const char*, int, unsigned) {
        errno = EACCES;
        return -1;
    };
    scoped_file_system_calls seam(calls);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(CFileException::accessDenied, error.m_cause);
    EXPECT_EQ(EACCES, error.m_lOsError);
}

TEST_F(FileTest, RefusedLockClosesWithoutTruncating) {
    write_file(path("a.txt"), "keep me");
    file_system_calls calls = real_file_system_calls();
    calls.flock = [](int, int) {
        errno = EWOULDBLOCK;
        return -1;
    };
    calls.close = [](int descriptor) {
        ++gCloseCalls;
        return real_file_system_calls().close(descriptor);
    };
    scoped_file_system_calls seam(calls);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(1, gCloseCalls);
    EXPECT_EQ("keep me", read_file(path("a.txt")));
}

TEST_F(FileTest, FailedTruncateFailsTheOpen) {
    write_file(path("a.txt"), "keep me");
    file_system_calls calls = real_file_system_calls();
    calls.ftruncate = [](int, std::int64_t) {
        errno = EIO;
        return -1;
    };
    scoped_file_system_calls seam(calls);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(CFileException::hardIO, error.m_cause);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(can_lock_from_another_process(path("a.txt")));
}

TEST_F(FileTest, WriteWithNoSpaceRaisesDiskFull) {
    file_system_calls calls = real_file_system_calls();
    calls.write = [](int, const void*, std::size_t) -> std::ptrdiff_t {
        errno = ENOSPC;
        return -1;
    };
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    scoped_file_system_calls seam(calls);
    CFileException error = caught_file_exception([&] { file.Write("abc", 3); });
    EXPECT_EQ(CFileException::diskFull, error.m_cause);
    EXPECT_EQ(ENOSPC, error.m_lOsError);
    EXPECT_EQ(path("a.txt"), error.m_strFileName);
}

TEST_F(FileTest, WriteThatMakesNoProgressRaisesDiskFull) {
    file_system_calls calls = real_file_system_calls();
    calls.write = [](int, const void*, std::size_t) -> std::ptrdiff_t { return 0; };
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    scoped_file_system_calls seam(calls);
    EXPECT_EQ(CFileException::diskFull, caught_file_exception([&] { file.Write("abc", 3); }).m_cause);
}

TEST_F(FileTest, WriteGoesOnAfterShortAndInterruptedWrites) {
    file_system_calls calls = real_file_system_calls();
    calls.write = [](int descriptor, const void* buffer, std::size_t count) -> std::ptrdiff_t {
        if (gInterruptionsLeft-- > 0) {
            errno = EINTR;
            return -1;
        }
        return real_file_system_calls().write(descriptor, buffer, std::min<std::size_t>(count, 3));
    };
    gInterruptionsLeft = 2;
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    {
        scoped_file_system_calls seam(calls);
        file.Write("0123456789", 10);
    }
    file.Close();
    EXPECT_EQ("0123456789", read_file(path("a.txt")));
}

TEST_F(FileTest, FullDeviceRaisesDiskFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (UINT mode : {UINT{CFile::modeWrite}, UINT{CFile::modeCreate | CFile::modeWrite}}) {
        CFile file;
        ASSERT_TRUE(file.Open("/dev/full", mode));
        CFileException error = caught_file_exception([&] { file.Write("abc", 3); });
        EXPECT_EQ(CFileException::diskFull, error.m_cause);
        EXPECT_EQ(ENOSPC, error.m_lOsError);
        EXPECT_NO_THROW(file.Flush());
    }
}

TEST_F(FileTest, ReadRetriesAfterInterruptionAndRaisesOnError) {
    write_file(path("a.txt"), "abc");
    file_system_calls calls = real_file_system_calls();
    // The first call is interrupted, the third fails.
    calls.read = [](int descriptor, void* buffer, std::size_t count) -> std::ptrdiff_t {
        ++gReadCalls;
        errno = gReadCalls == 1 ? EINTR : EIO;
        if (gReadCalls == 1 || gReadCalls == 3) return -1;
        return real_file_system_calls().read(descriptor, buffer, count);
    };
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeRead));
    scoped_file_system_calls seam(calls);
    char buffer[8];
    EXPECT_EQ(3u, file.Read(buffer, sizeof buffer));
    CFileException error = caught_file_exception([&] { file.Read(buffer, sizeof buffer); });
    EXPECT_EQ(CFileException::hardIO, error.m_cause);
    EXPECT_EQ(EIO, error.m_lOsError);
    EXPECT_EQ(3, gReadCalls);
}

TEST_F(FileTest, FlushRaisesWhenTheDeviceFails) {
    file_system_calls calls = real_file_system_calls();
    calls.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("abc", 3);
    EXPECT_NO_THROW(file.Flush());
    scoped_file_system_calls seam(calls);
    CFileException error = caught_file_exception([&] { file.Flush(); });
    EXPECT_EQ(CFileException::hardIO, error.m_cause);
    EXPECT_EQ(EIO, error.m_lOsError);
}

TEST_F(FileTest, CloseErrorRaisesYetClosesAndAbortStaysQuiet) {
    file_system_calls calls = real_file_system_calls();
    calls.close = [](int descriptor) {
        ++gCloseCalls;
        real_file_system_calls().close(descriptor);
        errno = EIO;
        return -1;
    };
    scoped_file_system_calls seam(calls);
    CFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(CFileException::hardIO, caught_file_exception([&] { file.Close(); }).m_cause);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(can_lock_from_another_process(path("a.txt")));

    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeWrite));
    EXPECT_NO_THROW(file.Abort());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(2, gCloseCalls);
}

struct LinesCase {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

class ReadString : public FileTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(ReadString, SplitsLinesAndStopsAtTheEnd) {
    write_file(path("a.txt"), GetParam().content);
    CStdioFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeRead | CFile::typeText));
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadString(line)) lines.push_back(line);
    EXPECT_EQ(GetParam().lines, lines);
    EXPECT_EQ("", line);
    EXPECT_FALSE(file.ReadString(line));
}

// The read-ahead chunk is 64 KiB: the first case puts "\r" and "\n" on either
// side of its edge.
INSTANTIATE_TEST_SUITE_P(
    CStdioFile, ReadString,
    ::testing::Values(
        LinesCase{"CrLf", "one\r\ntwo\r\n", {"one", "two"}}, LinesCase{"Lf", "one\ntwo\n", {"one", "two"}},
        LinesCase{"NoFinalLineFeed", "one\ntwo", {"one", "two"}}, LinesCase{"Empty", "", {}},
        LinesCase{"EmptyLines", "\n\r\n\n", {"", "", ""}},
        LinesCase{"EmbeddedNul", std::string("a\0b\nc\0", 6), {std::string("a\0b", 3), std::string("c\0", 2)}},
        LinesCase{"LoneCarriageReturn", "a\rb\r", {"a\rb\r"}},
        LinesCase{"CrLfAcrossChunkEdge", std::string(65535, 'x') + "\r\ny", {std::string(65535, 'x'), "y"}},
        LinesCase{"LineLongerThanChunks", std::string(200000, 'z') + "\n", {std::string(200000, 'z')}}),
    [](const ::testing::TestParamInfo<LinesCase>& info) { return info.param.name; });

TEST_F(FileTest, ReadStringReadsInLargeChunks) {
    std::string content;
    for (int i = 0; i < 100000; ++i) content += "line " + std::to_string(i) + "\n";
    write_file(path("a.txt"), content);
    file_system_calls calls = real_file_system_calls();
    calls.read = [](int descriptor, void* buffer, std::size_t count) {
        ++gReadCalls;
        return real_file_system_calls().read(descriptor, buffer, count);
    };
    CStdioFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeRead));
    scoped_file_system_calls seam(calls);
    std::string line;
    int lines = 0;
    while (file.ReadString(line)) ++lines;
    EXPECT_EQ(100000, lines);
    EXPECT_EQ("", line);
    // About 1.1 MB in chunks of 32 KiB or more, and the read that finds the end.
    EXPECT_LE(gReadCalls, 36);
}

TEST_F(FileTest, OtherOperationsAccountForReadAhead) {
    write_file(path("a.txt"), "one\ntwo\nthree\n");
    CStdioFile file;
    ASSERT_TRUE(file.Open(path("a.txt").c_str(), CFile::modeReadWrite));
    std::string line;
    ASSERT_TRUE(file.ReadString(line));
    char buffer[32];
    EXPECT_EQ(4u, file.Read(buffer, 4));
    EXPECT_EQ("two\n", std::string(buffer, 4));

    EXPECT_EQ(0u, file.SeekToBegin());
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ("one", line);

    file.Write("TWO", 3);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ("", line);
    file.Close();
    EXPECT_EQ("one\nTWO\nthree\n", read_file(path("a.txt")));
}

}  // namespace
