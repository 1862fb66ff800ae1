#include "platform/debugoutput.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "tests/support/temp_folder.h"

// The variable is read at each call; the text goes out exactly as given,
// appended to what the file already holds, and nowhere without the variable.
// Null text writes nothing.
TEST(OutputDebugStringA, AppendsEachTextToTheFileTheVariableNamesAtTheCall) {
    TempFolder folder;
    WriteFileBytes(folder.file("a.log"), "old ");
    SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", folder.file("a.log").c_str());
    OutputDebugStringA("first\xE9\x93\xFA\r\n");
    OutputDebugStringA("second");
    SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", folder.file("b.log").c_str());
    OutputDebugStringA(nullptr);
    SetEnvironmentVariableA("XMLXSL_DEBUG_LOG", nullptr);
    OutputDebugStringA("nowhere");
    EXPECT_EQ(ReadFileBytes(folder.file("a.log")), "old first\xE9\x93\xFA\r\nsecond");
    EXPECT_EQ(ReadFileBytes(folder.file("b.log")), "");
}
