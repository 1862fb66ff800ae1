#include "platform/full_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

// The working directory is "link", a link to a/b, which getcwd gives
// resolved; the name is then folded lexically, so a ".." after a link in the
// name goes up the name's own spelling.
TEST(FullPathName, MakesTheNameAbsoluteAndFoldsItsSpelling) {
    TempFolder folder;
    const std::string root = fs::canonical(folder.path()).string();
    fs::create_directories(folder.path() / "a" / "b");
    fs::create_directory_symlink(folder.path() / "a" / "b", folder.path() / "link");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path() / "link");
    const std::pair<std::string, std::string> cases[] = {
        {"f.xml", root + "/a/b/f.xml"}, {"./c/../f.xml", root + "/a/b/f.xml"}, {"c//d", root + "/a/b/c/d"},
        {"../x", root + "/a/x"}, {root + "/link/../x", root + "/x"}, {"/", "/"}, {"", ""}};
    for (const auto& [name, full] : cases) EXPECT_EQ(FullPathName(name.c_str()), full) << name;
    fs::current_path(previous);
}

TEST(MergeDoubledSeparators, MergesPairsLeftToRightWithoutOverlap) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"/", "/"}, {"//", "/"}, {"///", "//"}, {"////", "//"}, {"/opt//de.res", "/opt/de.res"},
        {"//server/share", "/server/share"}, {"a\\\\b", "a\\\\b"}};
    for (const auto& [path, merged] : cases) EXPECT_EQ(MergeDoubledSeparators(path), merged) << path;
}
