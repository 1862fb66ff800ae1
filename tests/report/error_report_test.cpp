#include "report/error_report.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"

using namespace std::string_literals;

namespace {

struct formatted_case {
    const char* label;
    std::string value;
    std::string expected;
};

class AppendReportErrorFormatted : public ::testing::TestWithParam<formatted_case> {};

TEST_P(AppendReportErrorFormatted, ReplacesPlaceholderAndCutsTo255) {
    const std::size_t start = gXSLErrorMsg.size();
    AppendReportError("%s could not be opened.\n", GetParam().value);
    EXPECT_EQ(gXSLErrorMsg.substr(start), GetParam().expected);
}

// " could not be opened.\n" is 22 bytes: a value of 233 fills exactly 255.
INSTANTIATE_TEST_SUITE_P(Cases, AppendReportErrorFormatted,
                         ::testing::Values(formatted_case{"ShortPath", "/a.res", "/a.res could not be opened.\n"},
                                           formatted_case{"ExactlyAtLimit", std::string(233, 'p'),
                                                          std::string(233, 'p') + " could not be opened.\n"},
                                           formatted_case{"OneOverLimitLosesLineFeed", std::string(234, 'p'),
                                                          std::string(234, 'p') + " could not be opened."},
                                           formatted_case{"PercentInValueIsText", "%s%d",
                                                          "%s%d could not be opened.\n"},
                                           formatted_case{"ValueEndsAtNul", "a\0b"s, "a could not be opened.\n"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(AppendReportError, AppendsFixedMessagesUnchangedUncutAndWithoutSeparator) {
    const std::string before = gXSLErrorMsg;
    const std::string longMessage(300, 'm');
    AppendReportError("Unknown exception");
    AppendReportError(longMessage);
    EXPECT_EQ(gXSLErrorMsg, before + "Unknown exception" + longMessage);
    EXPECT_EQ(gXSLErrorMsg.substr(0, 9), "Errors: \n");
}

TEST(AppendReportError, CutKeepsDoubleByteCharacterWhole) {
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    const std::size_t start = gXSLErrorMsg.size();
    AppendReportError("%s could not be opened.\n", std::string(254, 'p') + "\x93\xFA");
    EXPECT_EQ(gXSLErrorMsg.substr(start), std::string(254, 'p'));
    SetAnsiCodePageForTesting(1252);
}

}  // namespace
