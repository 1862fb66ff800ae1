#include "platform/library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/last_error.h"

namespace fs = std::filesystem;

TEST(GetModuleFileName, NamesTheRunningProgramForANullModule) {
    const std::string program = ModuleFileName(nullptr);
    EXPECT_TRUE(fs::path(program).is_absolute()) << program;
    EXPECT_EQ(fs::path(program).filename(), "platform_tests");
    EXPECT_TRUE(fs::is_regular_file(program)) << program;
}

TEST(GetModuleFileName, NamesALoadedLibraryAsItWasLoaded) {
    HMODULE library = LoadLibraryA(XMLXSL_LIBRARY_PATH);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ModuleFileName(library), XMLXSL_LIBRARY_PATH);
    FreeLibrary(library);
}

// The buffer sizes around the name's length: a name that does not fit is cut
// and terminated, and the result is the buffer's size.
TEST(GetModuleFileName, CutsANameThatDoesNotFitAndSaysSo) {
    const std::string program = ModuleFileName(nullptr);
    const DWORD length = static_cast<DWORD>(program.size());
    struct Case {
        DWORD size;
        DWORD result;
        std::string text;
        DWORD lastError;
    };
    const Case cases[] = {{0, 0, "", ERROR_INSUFFICIENT_BUFFER},
                          {1, 1, "", ERROR_INSUFFICIENT_BUFFER},
                          {5, 5, program.substr(0, 4), ERROR_INSUFFICIENT_BUFFER},
                          {length, length, program.substr(0, length - 1), ERROR_INSUFFICIENT_BUFFER},
                          {length + 1, length, program, 0}};
    for (const Case& c : cases) {
        std::string buffer(length + 8, '#');
        SetLastError(0);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), c.size), c.result) << c.size;
        EXPECT_EQ(GetLastError(), c.lastError) << c.size;
        if (c.size > 0) {
            EXPECT_EQ(std::string(buffer.c_str()), c.text) << c.size;
        }
    }
}
