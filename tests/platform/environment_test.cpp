#include "platform/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

using namespace std::string_view_literals;

namespace {

constexpr char kName[] = "XMLXSL_ENVIRONMENT_TEST";

class EnvironmentVariable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SetEnvironmentVariableA(kName, nullptr)); }
    void TearDown() override { EXPECT_TRUE(SetEnvironmentVariableA(kName, nullptr)); }
};

}  // namespace

// The length when the value fits, the size it needs (terminator counted) when not.
TEST_F(EnvironmentVariable, FollowsTheSizeProtocolAndANullValueRemoves) {
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetEnvironmentVariableA(kName, buffer, sizeof buffer), 0u);
    ASSERT_TRUE(SetEnvironmentVariableA(kName, "old"));
    ASSERT_TRUE(SetEnvironmentVariableA(kName, "value"));
    EXPECT_STREQ(std::getenv(kName), "value");
    EXPECT_EQ(GetEnvironmentVariableA(kName, nullptr, 0), 6u);
    EXPECT_EQ(GetEnvironmentVariableA(kName, buffer, 5), 6u);
    EXPECT_EQ(GetEnvironmentVariableA(kName, buffer, 6), 5u);
    EXPECT_EQ(std::string_view(buffer, 8), "value\0x\0"sv);
    ASSERT_TRUE(SetEnvironmentVariableA(kName, ""));
    EXPECT_EQ(GetEnvironmentVariableA(kName, nullptr, 0), 1u);
    EXPECT_EQ(GetEnvironmentVariableA(kName, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_TRUE(SetEnvironmentVariableA(kName, nullptr));
    EXPECT_EQ(std::getenv(kName), nullptr);
    EXPECT_EQ(GetEnvironmentVariableA(kName, nullptr, 0), 0u);
    EXPECT_TRUE(SetEnvironmentVariableA(kName, nullptr));
}

TEST_F(EnvironmentVariable, RejectsNamesPosixCannotHold) {
    char buffer[4];
    for (LPCSTR name : {static_cast<LPCSTR>(nullptr), "", "A=B"}) {
        EXPECT_FALSE(SetEnvironmentVariableA(name, "v"));
        EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 0u);
    }
}
