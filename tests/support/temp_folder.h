#pragma once

// A folder of the test's own under XMLXSL_TEST_TMP (the build tree's, as the
// test runner sets it) or else the system's temporary folder, removed with
// everything in it when the test ends. Every test that needs files uses one.

#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The absolute path of a file in the folder, as a narrow string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Whether another process can take the lock on the file right now.
bool AnotherProcessCanLock(const std::string& path);
