#include "platform/replace_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file.h"
#include "platform/last_error.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

// The replacement takes the replaced file's place and mode, set-id bits
// included. While another opener holds the replaced file, it is refused and
// both names keep what they held.
TEST(ReplaceFileA, GivesTheReplacementThePlaceAndModeOrLeavesBothFiles) {
    TempFolder folder;
    const std::string target = folder.file("target"), staged = folder.file("staged");
    WriteFileBytes(target, "old");
    WriteFileBytes(staged, "new");
    fs::permissions(target, fs::perms(04751));
    CFile holder;
    ASSERT_TRUE(holder.Open(target.c_str(), CFile::modeRead));
    EXPECT_FALSE(ReplaceFileA(target.c_str(), staged.c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    EXPECT_EQ("old", ReadFileBytes(target));
    holder.Close();
    ASSERT_TRUE(ReplaceFileA(target.c_str(), staged.c_str(), nullptr, 0, nullptr, nullptr)) << GetLastError();
    EXPECT_EQ("new", ReadFileBytes(target));
    EXPECT_FALSE(fs::exists(staged));
    EXPECT_EQ(fs::perms(04751), fs::status(target).permissions());
}
