#include "platform/replace_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/file.h"
#include "platform/last_error.h"

namespace {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "uid:gid" as stat(1) prints them.
std::string owner_of(const fs::path& path) {
    const fs::path out = path.string() + ".owner";
    if (std::system(("stat -c %u:%g '" + path.string() + "' > '" + out.string() + "'").c_str()) != 0) return "?";
    std::string owner = read_file(out);
    fs::remove(out);
    return owner.substr(0, owner.find('\n'));
}

class ReplaceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* configured = std::getenv("XMLXSL_TEST_TMP");
        fs::path root = configured != nullptr && *configured != '\0' ? fs::path(configured) : fs::temp_directory_path();
        folder_ = root / ("replace-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        write_file(replaced(), "old");
        write_file(replacement(), "new");
        SetLastError(0);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string path(const char* name) const { return (folder_ / name).string(); }
    std::string replaced() const { return path("target"); }
    std::string replacement() const { return path("staged"); }

    fs::path folder_;
};

// Root may give any owner; a test run by anyone else checks the bits alone.
TEST_F(ReplaceFileTest, GivesTheReplacementTheReplacedFilesBitsOwnerAndGroup) {
    const bool root = std::system(("chown 12345:12345 '" + replaced() + "' 2>/dev/null").c_str()) == 0;
    const std::string owner = owner_of(replaced());
    for (fs::perms mode : {fs::perms(0640), fs::perms(0444), fs::perms(04755), fs::perms(root ? 0 : 0400)}) {
        write_file(replacement(), "new");
        fs::permissions(replacement(), fs::perms(0600));
        fs::permissions(replaced(), mode);
        ASSERT_TRUE(ReplaceFileA(replaced().c_str(), replacement().c_str(), nullptr, 0, nullptr, nullptr))
            << GetLastError();
        EXPECT_EQ("new", read_file(replaced()));
        EXPECT_FALSE(fs::exists(replacement()));
        EXPECT_EQ(mode, fs::status(replaced()).permissions());
        EXPECT_EQ(owner, owner_of(replaced()));
    }
    if (root) {
        EXPECT_EQ("12345:12345", owner);
    }
}

TEST_F(ReplaceFileTest, KeepsTheReplacedFileUnderTheBackupName) {
    write_file(path("backup"), "older");
    ASSERT_TRUE(ReplaceFileA(replaced().c_str(), replacement().c_str(), path("backup").c_str(),
                             REPLACEFILE_WRITE_THROUGH, nullptr, nullptr));
    EXPECT_EQ("new", read_file(replaced()));
    EXPECT_EQ("old", read_file(path("backup")));
}

struct Refusal {
    const char* name;
    void (*arrange)(const fs::path& folder);
    const char* locked;  // held open by the test
    const char* replaced;
    const char* replacement;
    const char* backup;
    DWORD flags;
    bool reserved;
    DWORD error;
};

class RefusedReplace : public ReplaceFileTest, public ::testing::WithParamInterface<Refusal> {};

// Whatever the refusal, both names hold what they held, with the modes they had.
TEST_P(RefusedReplace, SetsTheLastErrorAndLeavesBothFiles) {
    const Refusal& refusal = GetParam();
    fs::permissions(replacement(), fs::perms(0600));
    fs::permissions(replaced(), fs::perms(0644));
    CFile holder;
    if (refusal.arrange) refusal.arrange(folder_);
    if (refusal.locked) {
        ASSERT_TRUE(holder.Open(path(refusal.locked).c_str(), CFile::modeRead));
    }
    auto name = [&](const char* given) { return given == nullptr ? std::string() : path(given); };
    const std::string replacedName = name(refusal.replaced), replacementName = name(refusal.replacement),
                      backupName = name(refusal.backup);
    int reserved = 0;
    EXPECT_FALSE(ReplaceFileA(refusal.replaced ? replacedName.c_str() : nullptr, replacementName.c_str(),
                              refusal.backup ? backupName.c_str() : nullptr, refusal.flags, nullptr,
                              refusal.reserved ? &reserved : nullptr));
    EXPECT_EQ(refusal.error, GetLastError());
    EXPECT_EQ("old", read_file(replaced()));
    EXPECT_EQ("new", read_file(replacement()));
    EXPECT_EQ(fs::perms(0644), fs::status(replaced()).permissions());
    EXPECT_EQ(fs::perms(0600), fs::status(replacement()).permissions());
    EXPECT_FALSE(fs::exists(path("backup")));
}

void make_folder(const fs::path& folder) { fs::create_directory(folder / "folder"); }
void make_link(const fs::path& folder) { fs::create_symlink(folder / "target", folder / "link"); }

INSTANTIATE_TEST_SUITE_P(
    ReplaceFileA, RefusedReplace,
    ::testing::Values(
        Refusal{"NullName", nullptr, nullptr, nullptr, "staged", nullptr, 0, false, ERROR_INVALID_PARAMETER},
        Refusal{"UnknownFlag", nullptr, nullptr, "target", "staged", nullptr, 0x8, false, ERROR_INVALID_PARAMETER},
        Refusal{"ReservedGiven", nullptr, nullptr, "target", "staged", nullptr, 0, true, ERROR_INVALID_PARAMETER},
        Refusal{"MissingReplaced", nullptr, nullptr, "missing", "staged", nullptr, 0, false, ERROR_FILE_NOT_FOUND},
        Refusal{"MissingReplacement", nullptr, nullptr, "target", "missing", nullptr, 0, false, ERROR_FILE_NOT_FOUND},
        Refusal{"FileAsFolder", nullptr, nullptr, "target/inside", "staged", nullptr, 0, false, ERROR_PATH_NOT_FOUND},
        Refusal{"ReplacedIsAFolder", make_folder, nullptr, "folder", "staged", nullptr, 0, false, ERROR_ACCESS_DENIED},
        Refusal{"ReplacedIsALink", make_link, nullptr, "link", "staged", nullptr, 0, false, ERROR_ACCESS_DENIED},
        Refusal{"ReplacedLocked", nullptr, "target", "target", "staged", nullptr, 0, false, ERROR_SHARING_VIOLATION},
        Refusal{"ReplacementLocked", nullptr, "staged", "target", "staged", nullptr, 0, false,
                ERROR_SHARING_VIOLATION},
        Refusal{"OneFileTwice", nullptr, nullptr, "target", "target", nullptr, 0, false, ERROR_SHARING_VIOLATION},
        Refusal{"BackupInAMissingFolder", nullptr, nullptr, "target", "staged", "missing/backup", 0, false,
                ERROR_UNABLE_TO_REMOVE_REPLACED}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

// /dev/shm is a file system of its own wherever it exists; the replacement
// there has been given the replaced file's mode before the rename fails.
TEST_F(ReplaceFileTest, RenameAcrossFileSystemsIsRefusedAndUndone) {
    std::error_code error;
    const fs::path elsewhere = fs::path("/dev/shm") / ("replace-" + std::to_string(std::random_device{}()));
    write_file(elsewhere, "new");
    if (!fs::exists(elsewhere, error)) GTEST_SKIP() << "no /dev/shm here";
    fs::permissions(elsewhere, fs::perms(0600));
    fs::permissions(replaced(), fs::perms(0644));
    EXPECT_FALSE(ReplaceFileA(replaced().c_str(), elsewhere.c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ERROR_UNABLE_TO_MOVE_REPLACEMENT, GetLastError());
    EXPECT_EQ("old", read_file(replaced()));
    EXPECT_EQ(fs::perms(0600), fs::status(elsewhere).permissions());
    fs::remove(elsewhere, error);
}

}  // namespace
