#include "platform/full_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(GetFullPathNameA, MakesTheNameAbsoluteAndFoldsItsSpelling) {
    const std::string here = std::filesystem::current_path().string();
    const std::string parent = std::filesystem::current_path().parent_path().string();
    const std::pair<const char*, std::string> cases[] = {
        {"radio.xml", here + "/radio.xml"},     {"./a/../radio.xml", here + "/radio.xml"},
        {"a//b", here + "/a/b"},                {"../x", parent + "/x"},
        {"/tmp/./y/../z", "/tmp/z"},            {"/", "/"},
    };
    for (const auto& [name, full] : cases) {
        char buffer[4096];
        char* filePart = nullptr;
        EXPECT_EQ(GetFullPathNameA(name, sizeof buffer, buffer, &filePart), full.size()) << name;
        EXPECT_EQ(std::string(buffer), full) << name;
        EXPECT_EQ(FullPathName(name), full) << name;
        const std::size_t slash = full.rfind('/') + 1;
        EXPECT_EQ(filePart == nullptr ? std::string() : std::string(filePart), full.substr(slash)) << name;
    }
}

TEST(GetFullPathNameA, AsksForRoomWithTheTerminatorAndRefusesNoName) {
    const std::string full = std::filesystem::current_path().string() + "/radio.xml";
    char small[4] = "abc";
    EXPECT_EQ(GetFullPathNameA("radio.xml", sizeof small, small, nullptr), full.size() + 1);
    EXPECT_EQ(std::string(small), "abc");
    EXPECT_EQ(GetFullPathNameA("radio.xml", 0, nullptr, nullptr), full.size() + 1);
    EXPECT_EQ(GetFullPathNameA("", sizeof small, small, nullptr), 0u);
    EXPECT_EQ(GetFullPathNameA(nullptr, sizeof small, small, nullptr), 0u);
    EXPECT_EQ(FullPathName(""), "");
}

}  // namespace
