#pragma once

// A folder of the fuzzer's own under the system's temporary folder, for the
// files that the code under test reads; removed with everything in it when
// the object goes, at the end of the run.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

class ScratchFolder {
public:
    // Throws std::filesystem::filesystem_error.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The absolute path of a file in the folder, as a narrow string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Makes the bytes the whole content of the file. Aborts when it cannot: an
// input that never reaches the file would pass without testing anything.
void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);
