#include "platform/debugoutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"

namespace {

class OutputDebugStringA : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("xmlxsl-debuglog-" + std::to_string(std::random_device()()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
        std::filesystem::remove_all(folder_);
    }

    std::string log_path(const char* name = "debug.log") const { return (folder_ / name).string(); }

    void log_to(const std::string& path) const { SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", path.c_str()); }

    std::string read_log(const char* name = "debug.log") const {
        std::ifstream file(log_path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path folder_;
};

TEST_F(OutputDebugStringA, AppendsExactlyTheTextOfEachCallToWhatTheFileHolds) {
    std::ofstream(log_path(), std::ios::binary) << "old ";
    log_to(log_path());
    ::OutputDebugStringA("first");
    ::OutputDebugStringA("second\n");
    ::OutputDebugStringA("\xE9\x93\xFA\r\n");
    EXPECT_EQ(read_log(), "old firstsecond\n\xE9\x93\xFA\r\n");
}

TEST_F(OutputDebugStringA, ReadsVariableAtEachCall) {
    log_to(log_path("a.log"));
    ::OutputDebugStringA("one");
    log_to(log_path("b.log"));
    ::OutputDebugStringA("two");
    SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
    ::OutputDebugStringA("nowhere");
    log_to(log_path("a.log"));
    ::OutputDebugStringA("three");

    EXPECT_EQ(read_log("a.log"), "onethree");
    EXPECT_EQ(read_log("b.log"), "two");
}

TEST_F(OutputDebugStringA, IgnoresNullAndEmptyText) {
    log_to(log_path());
    ::OutputDebugStringA(nullptr);
    ::OutputDebugStringA("");
    EXPECT_FALSE(std::filesystem::exists(log_path()));
}

TEST_F(OutputDebugStringA, IgnoresPathThatIsNoFile) {
    log_to(folder_.string());
    ::OutputDebugStringA("lost");
    log_to(log_path("missing-folder/debug.log"));
    ::OutputDebugStringA("lost");
    EXPECT_TRUE(std::filesystem::is_directory(folder_));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(OutputDebugStringA, KeepsConcurrentWritesWhole) {
    constexpr int kWriters = 8;
    constexpr int kLinesEach = 200;
    constexpr std::size_t kLineLength = 100;
    log_to(log_path());
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([writer] {
            std::string line(kLineLength - 1, static_cast<char>('a' + writer));
            line += '\n';
            for (int i = 0; i < kLinesEach; ++i) ::OutputDebugStringA(line.c_str());
        });
    }
    for (std::thread& writer : writers) writer.join();

    std::string log = read_log();
    ASSERT_EQ(log.size(), kWriters * kLinesEach * kLineLength);
    std::istringstream lines(log);
    std::vector<int> counts(kWriters);
    for (std::string line; std::getline(lines, line);) {
        ASSERT_EQ(line.size(), kLineLength - 1);
        ASSERT_EQ(std::count(line.begin(), line.end(), line.front()), static_cast<long>(kLineLength - 1));
        ++counts.at(line.front() - 'a');
    }
    EXPECT_EQ(counts, std::vector<int>(kWriters, kLinesEach));
}

}  // namespace
