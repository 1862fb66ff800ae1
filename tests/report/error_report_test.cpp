#include "report/error_report.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"

using namespace std::string_literals;

namespace {

// What one append added to the error text.
template <class... Arguments>
std::string Appended(const Arguments&... arguments) {
    const std::size_t start = gXSLErrorMsg.size();
    AppendReportError(arguments...);
    return gXSLErrorMsg.substr(start);
}

// The one place that pins the 255-byte cut of a formatted message, which
// keeps a double-byte character whole.
TEST(AppendReportError, FormatsTheValueAndCutsTheMessageTo255Bytes) {
    // " could not be opened.\n" is 22 bytes: a value of 233 fills exactly 255.
    const std::string format = "%s could not be opened.\n";
    EXPECT_EQ(Appended(format, std::string(233, 'p')), std::string(233, 'p') + " could not be opened.\n");
    EXPECT_EQ(Appended(format, std::string(234, 'p')), std::string(234, 'p') + " could not be opened.");
    EXPECT_EQ(Appended(format, "%s%d"), "%s%d could not be opened.\n");
    EXPECT_EQ(Appended(format, "a\0b"s), "a could not be opened.\n");
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(Appended(format, std::string(254, 'p') + "\x93\xFA"), std::string(254, 'p'));
    SetAnsiCodePageForTesting(1252);
}

TEST(AppendReportError, AppendsFixedMessagesUncutAndWithoutSeparator) {
    EXPECT_EQ(Appended("Unknown exception"), "Unknown exception");
    EXPECT_EQ(Appended(std::string(300, 'm')), std::string(300, 'm'));
}

}  // namespace
