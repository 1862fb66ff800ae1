#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

TempFolder::TempFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    std::string name = std::string("xmlxsl-") + (test ? test->name() : "test") + "-" + std::to_string(random()) +
                       std::to_string(random());
    // A parameterised test's name holds a '/', which must not make a folder.
    std::replace(name.begin(), name.end(), '/', '-');
    // The build tree's own folder when the test runner names one, so that a
    // test's files stay with its build.
    const char* configured = std::getenv("XMLXSL_TEST_TMP");
    const std::filesystem::path root = configured != nullptr && *configured != '\0'
                                           ? std::filesystem::path(configured)
                                           : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(root / name);
    // Canonical, so that paths the tests compare with what the library
    // records (absolute, no link) agree.
    path_ = std::filesystem::canonical(root / name);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool AnotherProcessCanLock(const std::string& path) {
    // flock(1) from util-linux takes the same kind of lock in a process of
    // its own; -n fails at once when the lock is held.
    std::string command = "flock -n -E 75 '" + path + "' true";
    return std::system(command.c_str()) == 0;
}
