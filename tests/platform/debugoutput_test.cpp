#include "platform/debugoutput.h"

#include <gtest/gtest.h>

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
        folder_ =
            std::filesystem::temp_directory_path() / ("xmlxsl-debuglog-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
        std::filesystem::remove_all(folder_);
    }

    std::string log_to(const char* name) const {
        std::string path = (folder_ / name).string();
        SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", path.c_str());
        return path;
    }
    std::string read_log(const char* name) const {
        std::ifstream file(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path folder_;
};

// The variable is read at each call; the text goes out exactly as given,
// appended to what the file already holds.
TEST_F(OutputDebugStringA, AppendsEachTextToTheFileTheVariableNamesAtTheCall) {
    std::ofstream(folder_ / "a.log", std::ios::binary) << "old ";
    log_to("a.log");
    ::OutputDebugStringA("first");
    ::OutputDebugStringA("second\n");
    log_to("b.log");
    ::OutputDebugStringA("two");
    SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
    ::OutputDebugStringA("nowhere");
    log_to("a.log");
    ::OutputDebugStringA("\xE9\x93\xFA\r\n");
    EXPECT_EQ(read_log("a.log"), "old firstsecond\n\xE9\x93\xFA\r\n");
    EXPECT_EQ(read_log("b.log"), "two");
}

TEST_F(OutputDebugStringA, IgnoresNullOrEmptyTextAndAPathThatIsNoFile) {
    log_to("debug.log");
    ::OutputDebugStringA(nullptr);
    ::OutputDebugStringA("");
    log_to(".");
    ::OutputDebugStringA("lost");
    log_to("missing-folder/debug.log");
    ::OutputDebugStringA("lost");
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(OutputDebugStringA, KeepsConcurrentWritesWhole) {
    constexpr int kWriters = 8, kLinesEach = 200;
    log_to("debug.log");
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([writer] {
            const std::string line = std::string(99, static_cast<char>('a' + writer)) + '\n';
            for (int i = 0; i < kLinesEach; ++i) ::OutputDebugStringA(line.c_str());
        });
    }
    for (std::thread& writer : writers) writer.join();

    std::istringstream log(read_log("debug.log"));
    std::vector<int> counts(kWriters);
    for (std::string line; std::getline(log, line);) {
        ASSERT_EQ(line, std::string(99, line[0]));
        ++counts.at(line[0] - 'a');
    }
    EXPECT_EQ(counts, std::vector<int>(kWriters, kLinesEach));
}

}  // namespace
