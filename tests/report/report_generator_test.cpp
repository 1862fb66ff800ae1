#include "report/report_generator.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "report/error_report.h"
#include "tests/support/temp_folder.h"

namespace {

// The resource file's name comes out of the registry through the code page
// and reaches the file system as the same bytes: "č.txt" is "\xE8.txt"
// under 1250.
TEST(XSLTtransform, OpensAResourceFileNamedInTheCodePage) {
    ASSERT_TRUE(SetAnsiCodePageForTesting(1250));
    TempFolder folder;
    WriteFileBytes(folder.file("\xE8.txt"), "TITL Zpr\xE1va\n");
    WriteFileBytes(folder.file("report.xsl"),
                   "<?xml version=\"1.0\" encoding=\"windows-1250\"?><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:output method=\"text\" encoding=\"windows-1250\"/><xsl:template match=\"/\">^TITL^</xsl:template></xsl:stylesheet>");
    WriteFileBytes(folder.file("settings.reg"),
                   "Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\Czech]\n"
                   "\"ReportResource\"=\"\xC4\x8D.txt\"\n");
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder.file("settings.reg").c_str());

    CXSLHandler handler;
    std::string output;
    EXPECT_EQ(handler.XSLTtransform("<A/>", folder.file("report.xsl"), output, u"Czech"), kShortOk) << gXSLErrorMsg;
    EXPECT_EQ(output, "Zpr\xE1va");
    SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
    EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
}

}  // namespace
