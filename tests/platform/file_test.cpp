#include "platform/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
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

// A seam entry shaped like `call` that fails with `error`.
template <int error, typename Result, typename... Args>
auto failing(Result (*)(Args...)) -> Result (*)(Args...) {
    return [](Args...) -> Result {
        errno = error;
        return -1;
    };
}

// What the counting entries of the seam saw.
int gCalls = 0;
int gOpens = 0;

int counted_open(const char* path, int flags, unsigned mode) {
    int descriptor = real_file_system_calls().open(path, flags, mode);
    gOpens += descriptor >= 0;
    return descriptor;
}

int counted_close(int descriptor) {
    ++gCalls;
    return real_file_system_calls().close(descriptor);
}

// A folder of its own for each test, removed after it.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* configured = std::getenv("XMLXSL_TEST_TMP");
        fs::path root = configured != nullptr && *configured != '\0' ? fs::path(configured) : fs::temp_directory_path();
        folder_ = root / ("file-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        folder_ = fs::canonical(folder_);
        gCalls = gOpens = 0;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string path(const char* name = "a.txt") const { return (folder_ / name).string(); }

    fs::path folder_;
};

TEST_F(FileTest, LockBlocksAnotherProcessUntilCloseOrDestruction) {
    write_file(path(), "x");
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeRead));
    EXPECT_FALSE(can_lock_from_another_process(path()));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(can_lock_from_another_process(path()));
    {
        CFile scoped;
        ASSERT_TRUE(scoped.Open(path().c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_FALSE(can_lock_from_another_process(path()));
    }
    EXPECT_TRUE(can_lock_from_another_process(path()));
}

TEST_F(FileTest, SharedReadersOpenSideBySideAndDenyNoneTakesNoLock) {
    write_file(path(), "x");
    CFile first, second, unlocked;
    ASSERT_TRUE(first.Open(path().c_str(), CFile::modeRead | CFile::shareDenyWrite));
    ASSERT_TRUE(second.Open(path().c_str(), CFile::modeRead | CFile::shareDenyWrite));
    EXPECT_FALSE(can_lock_from_another_process(path()));
    EXPECT_TRUE(std::system(("flock -s -n '" + path() + "' true").c_str()) == 0);
    first.Close();
    second.Close();
    ASSERT_TRUE(first.Open(path().c_str(), CFile::modeWrite));
    ASSERT_TRUE(unlocked.Open(path().c_str(), CFile::modeWrite | CFile::shareDenyNone));
    unlocked.Close();
    first.Close();
    ASSERT_TRUE(unlocked.Open(path().c_str(), CFile::modeWrite | CFile::shareDenyNone));
    EXPECT_TRUE(can_lock_from_another_process(path()));
}

TEST_F(FileTest, SetLengthCutsAndExtendsWhereSeekToEndFindsTheEnd) {
    write_file(path(), "abcdef");
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeReadWrite));
    char buffer[8];
    ASSERT_EQ(2u, file.Read(buffer, 2));
    file.SetLength(4);
    EXPECT_EQ(2u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ("cd", std::string(buffer, 2));
    file.SetLength(6);
    EXPECT_EQ(6u, file.SeekToEnd());
    file.Write("g", 1);
    file.Close();
    EXPECT_EQ(std::string("abcd\0\0g", 7), read_file(path()));
    EXPECT_EQ(CFileException::invalidFile, caught_file_exception([&] { file.SetLength(0); }).m_cause);

    ASSERT_EQ(0, std::system(("mkfifo '" + path("fifo") + "'").c_str()));
    ASSERT_TRUE(file.Open(path("fifo").c_str(), CFile::modeReadWrite));
    EXPECT_EQ(CFileException::badSeek, caught_file_exception([&] { file.SeekToEnd(); }).m_cause);
}

TEST_F(FileTest, CreateTruncatesUnlessAskedNotToAndAnOpenObjectRefusesAnotherOpen) {
    write_file(path(), "old content");
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_FALSE(file.Open(path("b.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(path(), file.GetFilePath());
    EXPECT_FALSE(fs::exists(path("b.txt")));
    file.Close();
    EXPECT_EQ("old content", read_file(path()));
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ("new", read_file(path()));
}

// Restores the working directory that a test changes.
class scoped_working_directory {
public:
    explicit scoped_working_directory(const fs::path& path) : previous_(fs::current_path()) { fs::current_path(path); }
    ~scoped_working_directory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

// The working directory, the name opened (below the test's folder when it
// starts with '/'), and the path recorded below the test's folder.
TEST_F(FileTest, RecordedPathIsAbsoluteAndLexicallyNormal) {
    fs::create_directories(folder_ / "a" / "b");
    fs::create_directory_symlink(folder_ / "a" / "b", folder_ / "link");
    write_file(folder_ / "a" / "b" / "f.txt", "x");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"a/b", "f.txt", "a/b/f.txt"},
        {"a/b", "./f.txt", "a/b/f.txt"},
        {"a/b", "../b/f.txt", "a/b/f.txt"},
        {"a/b", "..//b/.//f.txt", "a/b/f.txt"},
        {"a", "b/../../a/b/f.txt", "a/b/f.txt"},
        {".", "//a/./b/f.txt", "a/b/f.txt"},
        // getcwd gives the working directory with its links resolved.
        {"link", "f.txt", "a/b/f.txt"},
        // The system opens a/b/f.txt; the name is folded without resolving the link.
        {".", "link/../b/f.txt", "b/f.txt"}};
    for (const auto& [workingDirectory, opened, recorded] : cases) {
        scoped_working_directory scoped(folder_ / workingDirectory);
        const std::string name = opened[0] == '/' ? folder_.string() + opened : opened;
        CFile file;
        EXPECT_EQ("", file.GetFilePath());
        ASSERT_TRUE(file.Open(name.c_str(), CFile::modeRead)) << name;
        EXPECT_EQ((folder_ / recorded).string(), file.GetFilePath()) << workingDirectory << " + " << opened;
        file.Close();
        EXPECT_EQ((folder_ / recorded).string(), file.GetFilePath()) << workingDirectory << " + " << opened;
    }
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

enum Target { kFile, kFolder, kMissing };

struct Refusal {
    const char* name;
    std::optional<UINT> heldWith;  // a first open of the file by another object
    Target target;
    void (*fail)(file_system_calls&);
    UINT mode;
    int cause;
    LONG osError;
};

class RefusedOpen : public FileTest, public ::testing::WithParamInterface<Refusal> {};

// However the open is refused, it leaves no descriptor, lock, content change
// or new file behind.
TEST_P(RefusedOpen, ReportsTheCauseAndLeavesNothingBehind) {
    const Refusal& refused = GetParam();
    write_file(path(), "keep me");
    const std::string target = refused.target == kFolder    ? folder_.string()
                               : refused.target == kMissing ? path("missing.txt")
                                                            : path();
    CFile holder, file;
    if (refused.heldWith) {
        ASSERT_TRUE(holder.Open(path().c_str(), *refused.heldWith));
    }
    file_system_calls calls = real_file_system_calls();
    calls.open = counted_open;
    calls.close = counted_close;
    if (refused.fail != nullptr) refused.fail(calls);
    CFileException error;
    {
        scoped_file_system_calls seam(calls);
        EXPECT_FALSE(file.Open(target.c_str(), refused.mode, &error));
    }
    EXPECT_EQ(refused.cause, error.m_cause);
    EXPECT_EQ(refused.osError, error.m_lOsError);
    EXPECT_EQ(target, error.m_strFileName);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(gOpens, gCalls);
    holder.Close();
    EXPECT_EQ("keep me", read_file(path()));
    EXPECT_FALSE(fs::exists(path("missing.txt")));
    EXPECT_TRUE(can_lock_from_another_process(path()));
}

void refuse_open(file_system_calls& calls) { calls.open = failing<EACCES>(calls.open); }
void refuse_lock(file_system_calls& calls) { calls.flock = failing<EWOULDBLOCK>(calls.flock); }
void refuse_truncate(file_system_calls& calls) { calls.ftruncate = failing<EIO>(calls.ftruncate); }

using E = CFileException;
constexpr UINT kRead = CFile::modeRead, kWrite = CFile::modeWrite, kReadWrite = CFile::modeReadWrite,
               kCreate = CFile::modeCreate | CFile::modeWrite, kShared = CFile::shareDenyWrite;

INSTANTIATE_TEST_SUITE_P(
    CFileOpen, RefusedOpen,
    ::testing::Values(Refusal{"ReadWhileRead", kRead, kFile, nullptr, kRead, E::sharingViolation, EWOULDBLOCK},
                      Refusal{"CreateWhileRead", kRead, kFile, nullptr, kCreate, E::sharingViolation, EWOULDBLOCK},
                      Refusal{"ReadWhileWritten", kWrite, kFile, nullptr, kRead, E::sharingViolation, EWOULDBLOCK},
                      Refusal{"CreateWhileReadWrite", kReadWrite, kFile, nullptr, kCreate | kReadWrite,
                              E::sharingViolation, EWOULDBLOCK},
                      Refusal{"ExclusiveWhileShared", kRead | kShared, kFile, nullptr, kRead, E::sharingViolation,
                              EWOULDBLOCK},
                      Refusal{"SharedWhileExclusive", kRead, kFile, nullptr, kRead | kShared, E::sharingViolation,
                              EWOULDBLOCK},
                      Refusal{"FolderRead", {}, kFolder, nullptr, kRead, E::accessDenied, EISDIR},
                      Refusal{"FolderWrite", {}, kFolder, nullptr, kWrite, E::accessDenied, EISDIR},
                      Refusal{"FolderReadWrite", {}, kFolder, nullptr, kReadWrite, E::accessDenied, EISDIR},
                      Refusal{"FolderCreate", {}, kFolder, nullptr, kCreate, E::accessDenied, EISDIR},
                      Refusal{"MissingRead", {}, kMissing, nullptr, kRead, E::fileNotFound, ENOENT},
                      Refusal{"MissingWrite", {}, kMissing, nullptr, kWrite, E::fileNotFound, ENOENT},
                      Refusal{"OpenFails", {}, kFile, refuse_open, kCreate, E::accessDenied, EACCES},
                      Refusal{"LockFails", {}, kFile, refuse_lock, kCreate, E::sharingViolation, EWOULDBLOCK},
                      Refusal{"TruncateFails", {}, kFile, refuse_truncate, kCreate, E::hardIO, EIO}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(FileTest, WriteThatFailsOrMakesNoProgressRaisesDiskFull) {
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeWrite));
    file_system_calls calls = real_file_system_calls();
    calls.write = failing<ENOSPC>(calls.write);
    CFileException error;
    {
        scoped_file_system_calls seam(calls);
        error = caught_file_exception([&] { file.Write("abc", 3); });
    }
    EXPECT_EQ(CFileException::diskFull, error.m_cause);
    EXPECT_EQ(ENOSPC, error.m_lOsError);
    EXPECT_EQ(path(), error.m_strFileName);
    calls.write = [](int, const void*, std::size_t) -> std::ptrdiff_t { return 0; };
    scoped_file_system_calls seam(calls);
    EXPECT_EQ(CFileException::diskFull, caught_file_exception([&] { file.Write("abc", 3); }).m_cause);
}

TEST_F(FileTest, WriteGoesOnAfterShortAndInterruptedWrites) {
    file_system_calls calls = real_file_system_calls();
    calls.write = [](int descriptor, const void* buffer, std::size_t count) -> std::ptrdiff_t {
        if (++gCalls <= 2) {
            errno = EINTR;
            return -1;
        }
        return real_file_system_calls().write(descriptor, buffer, std::min<std::size_t>(count, 3));
    };
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeWrite));
    {
        scoped_file_system_calls seam(calls);
        file.Write("0123456789", 10);
    }
    file.Close();
    EXPECT_EQ("0123456789", read_file(path()));
}

// A device is neither truncated nor left with data that a later flush fails on.
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
    write_file(path(), "abc");
    file_system_calls calls = real_file_system_calls();
    // The first call is interrupted, the third fails.
    calls.read = [](int descriptor, void* buffer, std::size_t count) -> std::ptrdiff_t {
        errno = ++gCalls == 1 ? EINTR : EIO;
        if (gCalls == 1 || gCalls == 3) return -1;
        return real_file_system_calls().read(descriptor, buffer, count);
    };
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeRead));
    scoped_file_system_calls seam(calls);
    char buffer[8];
    EXPECT_EQ(3u, file.Read(buffer, sizeof buffer));
    CFileException error = caught_file_exception([&] { file.Read(buffer, sizeof buffer); });
    EXPECT_EQ(CFileException::hardIO, error.m_cause);
    EXPECT_EQ(EIO, error.m_lOsError);
    EXPECT_EQ(3, gCalls);
}

TEST_F(FileTest, FlushAndCloseErrorsRaiseYetCloseAndAbortStaysQuiet) {
    file_system_calls calls = real_file_system_calls();
    calls.fsync = failing<EIO>(calls.fsync);
    calls.close = [](int descriptor) {
        counted_close(descriptor);
        errno = EIO;
        return -1;
    };
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("abc", 3);
    EXPECT_NO_THROW(file.Flush());
    scoped_file_system_calls seam(calls);
    CFileException error = caught_file_exception([&] { file.Flush(); });
    EXPECT_EQ(CFileException::hardIO, error.m_cause);
    EXPECT_EQ(EIO, error.m_lOsError);
    EXPECT_EQ(CFileException::hardIO, caught_file_exception([&] { file.Close(); }).m_cause);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(can_lock_from_another_process(path()));
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeWrite));
    EXPECT_NO_THROW(file.Abort());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(2, gCalls);
}

// The read-ahead chunk is 64 KiB: one case puts "\r" and "\n" on either side
// of its edge.
TEST_F(FileTest, ReadStringSplitsLinesAndStopsAtTheEnd) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"", {}},
        {"\n\r\n\n", {"", "", ""}},
        {std::string("a\0b\nc\0", 6), {std::string("a\0b", 3), std::string("c\0", 2)}},
        {"a\rb\r", {"a\rb\r"}},
        {std::string(65535, 'x') + "\r\ny", {std::string(65535, 'x'), "y"}},
        {std::string(200000, 'z') + "\n", {std::string(200000, 'z')}}};
    for (const auto& [content, expected] : cases) {
        write_file(path(), content);
        CStdioFile file;
        ASSERT_TRUE(file.Open(path().c_str(), CFile::modeRead | CFile::typeText));
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadString(line)) lines.push_back(line);
        EXPECT_EQ(expected, lines);
        EXPECT_EQ("", line);
        EXPECT_FALSE(file.ReadString(line));
    }
}

TEST_F(FileTest, OtherOperationsAccountForReadAhead) {
    write_file(path(), "one\ntwo\nthree\n");
    CStdioFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeReadWrite));
    std::string line;
    ASSERT_TRUE(file.ReadString(line));
    char buffer[32];
    EXPECT_EQ(4u, file.Read(buffer, 4));
    EXPECT_EQ("two\n", std::string(buffer, 4));
    EXPECT_EQ(14u, file.SeekToEnd());
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_EQ(0u, file.SeekToBegin());
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ("one", line);
    file.Write("TWO", 3);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ("", line);
    file.Close();
    EXPECT_EQ("one\nTWO\nthree\n", read_file(path()));
}

// The same-name rewrite of an XML file closes and opens again without a
// moment in which memory could run out; a refused reopen leaves it closed.
TEST_F(FileTest, ReopenOpensTheRecordedPathAgainTruncatingOnlyWithTheLock) {
    write_file(path(), "old");
    CFile file;
    EXPECT_FALSE(file.Reopen(CFile::modeRead));
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeRead));
    ASSERT_TRUE(file.Reopen(CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(read_file(path()), "");
    EXPECT_FALSE(can_lock_from_another_process(path()));
    file.Write("new", 3);
    file.Close();

    CFile other;
    ASSERT_TRUE(other.Open(path().c_str(), CFile::modeRead));
    EXPECT_FALSE(file.Reopen(CFile::modeCreate | CFile::modeWrite));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(read_file(path()), "new");
    other.Close();
    EXPECT_TRUE(file.Reopen(CFile::modeRead));
    EXPECT_EQ(file.GetFilePath(), path());
}

}  // namespace
