#include "platform/file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/file_seam.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

// A CFileException of the cause, with errno and the file's name.
static auto raises(int cause, LONG osError, const std::string& name) {
    return testing::Throws<CFileException>(testing::AllOf(testing::Field(&CFileException::m_cause, cause),
                                                          testing::Field(&CFileException::m_lOsError, osError),
                                                          testing::Field(&CFileException::m_strFileName, name)));
}

// A seam entry shaped like `call` that fails with `error`.
template <int error, typename Result, typename... Args>
static auto failing(Result (*)(Args...)) -> Result (*)(Args...) {
    return [](Args...) -> Result {
        errno = error;
        return -1;
    };
}

// Every other call is interrupted; gCalls counts them all.
static int gCalls = 0;
static bool interrupted() {
    if (++gCalls % 2 == 0) return false;
    errno = EINTR;
    return true;
}

static std::ptrdiff_t open_descriptors() { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); }

class FileTest : public ::testing::Test {
protected:
    std::string path(const char* name = "a.txt") const { return folder_.file(name); }

    TempFolder folder_;
};

static void refuse_open(file_system_calls& calls) { calls.open = failing<EACCES>(calls.open); }
static void refuse_lock(file_system_calls& calls) { calls.flock = failing<EWOULDBLOCK>(calls.flock); }

using E = CFileException;
constexpr UINT kRead = CFile::modeRead, kCreate = CFile::modeCreate | CFile::modeWrite;

// However the open is refused, it reports the cause, errno and the name, and
// leaves no descriptor, lock, content change or new file behind. A folder
// ("" in the test's folder names the folder) fails in either mode.
TEST_F(FileTest, RefusedOpenReportsTheCauseAndLeavesNothingBehind) {
    WriteFileBytes(path(), "keep me");
    const std::tuple<const char*, UINT, void (*)(file_system_calls&), int, LONG> cases[] = {
        {"", kRead, nullptr, E::accessDenied, EISDIR}, {"", kCreate, nullptr, E::accessDenied, EISDIR},
        {"missing.txt", kRead, nullptr, E::fileNotFound, ENOENT},
        {"a.txt", kCreate, refuse_open, E::accessDenied, EACCES},
        {"a.txt", kCreate, refuse_lock, E::sharingViolation, EWOULDBLOCK}};
    for (const auto& [target, mode, fail, cause, osError] : cases) {
        file_system_calls calls = real_file_system_calls();
        if (fail != nullptr) fail(calls);
        const std::ptrdiff_t descriptors = open_descriptors();
        CFile file;
        CFileException error;
        {
            scoped_file_system_calls seam(calls);
            EXPECT_FALSE(file.Open(path(target).c_str(), mode, &error)) << target;
        }
        EXPECT_EQ(descriptors, open_descriptors()) << target;
        EXPECT_EQ(std::tuple(cause, osError, path(target)),
                  std::tuple(error.m_cause, error.m_lOsError, error.m_strFileName));
    }
    EXPECT_EQ("keep me", ReadFileBytes(path()));
    EXPECT_FALSE(fs::exists(path("missing.txt")));
    EXPECT_TRUE(AnotherProcessCanLock(path()));
}

// A write takes three bytes at most: four writes and four interruptions,
// then one read and one interruption. A call that fails otherwise raises its
// cause with errno and the file's name; Close gives the descriptor and the
// lock back even when it raises.
TEST_F(FileTest, CallsGoOnAfterShortAndInterruptedCallsAndRaiseOtherFailures) {
    file_system_calls calls = real_file_system_calls();
    calls.write = [](int descriptor, const void* buffer, std::size_t count) -> std::ptrdiff_t {
        return interrupted() ? -1 : real_file_system_calls().write(descriptor, buffer, std::min<std::size_t>(count, 3));
    };
    calls.read = [](int descriptor, void* buffer, std::size_t count) -> std::ptrdiff_t {
        return interrupted() ? -1 : real_file_system_calls().read(descriptor, buffer, count);
    };
    calls.fsync = failing<EIO>(calls.fsync);
    calls.close = [](int descriptor) {
        real_file_system_calls().close(descriptor);
        errno = EIO;
        return -1;
    };
    CFile file;
    ASSERT_TRUE(file.Open(path().c_str(), CFile::modeCreate | CFile::modeReadWrite));
    scoped_file_system_calls seam(calls);
    gCalls = 0;
    file.Write("0123456789", 10);
    EXPECT_EQ(0u, file.SeekToBegin());
    char buffer[16];
    EXPECT_EQ(10u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ("0123456789", std::string(buffer, 10));
    EXPECT_EQ(10, gCalls);
    calls.write = failing<ENOSPC>(calls.write);
    scoped_file_system_calls full(calls);
    EXPECT_THAT([&] { file.Write("abc", 3); }, raises(E::diskFull, ENOSPC, path()));
    EXPECT_THAT([&] { file.Flush(); }, raises(E::hardIO, EIO, path()));
    EXPECT_THAT([&] { file.Close(); }, raises(E::hardIO, EIO, path()));
    EXPECT_TRUE(AnotherProcessCanLock(path()));
}

// The read-ahead chunk is 64 KiB: one case puts "\r" and "\n" on either side
// of its edge. A lone "\r" stays in the line; a NUL is a character.
TEST_F(FileTest, ReadStringSplitsLinesAndStopsAtTheEnd) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {std::string("one\r\n\na\0\rb\nc", 12), {"one", "", std::string("a\0\rb", 4), "c"}},
        {std::string(65535, 'x') + "\r\ny", {std::string(65535, 'x'), "y"}}};
    for (const auto& [content, expected] : cases) {
        WriteFileBytes(path(), content);
        CStdioFile file;
        ASSERT_TRUE(file.Open(path().c_str(), CFile::modeRead | CFile::typeText));
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadString(line)) lines.push_back(line);
        EXPECT_EQ(expected, lines);
        EXPECT_FALSE(file.ReadString(line));
    }
}

// The same-name rewrite of an XML file opens the recorded path (the name
// made absolute and folded, kept after Close) again without a moment in
// which memory could run out, truncating only with the lock. Read mode locks
// as write mode does, and the lock goes with the object; a refused reopen
// leaves the object closed and the file as it was. A device such as
// /dev/null has nothing to truncate.
TEST_F(FileTest, ReopenOpensTheRecordedPathAgainTruncatingOnlyWithTheLock) {
    fs::create_directory(folder_.path() / "b");
    WriteFileBytes(path(), "old");
    CFile file;
    ASSERT_TRUE(file.Open(path("b/../a.txt").c_str(), kRead));
    EXPECT_FALSE(AnotherProcessCanLock(path()));
    ASSERT_TRUE(file.Reopen(kCreate));
    EXPECT_EQ(ReadFileBytes(path()), "");
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ(path(), file.GetFilePath());
    {
        CFile other;
        ASSERT_TRUE(other.Open(path().c_str(), kRead));
        EXPECT_FALSE(file.Reopen(kCreate));
    }
    EXPECT_TRUE(AnotherProcessCanLock(path()));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadFileBytes(path()), "new");
    EXPECT_TRUE(CFile().Open("/dev/null", kCreate));
}
