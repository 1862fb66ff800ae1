#include "host/staged_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "host/command_error.h"
#include "platform/file.h"

namespace {

std::string random_suffix() {
    std::random_device random;
    char text[24];
    std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(random()), static_cast<unsigned>(random()));
    return text;
}

}  // namespace

unique_staged_file::unique_staged_file(std::string target) : target_(std::move(target)) {
    std::filesystem::path path(target_);
    std::error_code ignored;
    do {
        temporary_ = (path.parent_path() / ("." + path.filename().string() + "." + random_suffix() + ".tmp")).string();
    } while (std::filesystem::exists(std::filesystem::symlink_status(temporary_, ignored)));
}

unique_staged_file::~unique_staged_file() {
    if (committed_) return;
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
}

void unique_staged_file::write(std::string_view bytes) {
    CFile file;
    CFileException error;
    if (!file.Open(temporary_.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, &error)) {
        if (error.m_cause == CFileException::fileNotFound || error.m_cause == CFileException::badPath)
            throw CommandError(target_ + ": cannot be written: no such folder");
        throw CommandError(target_ + ": cannot be written: " + error.what());
    }
    try {
        std::size_t done = 0;
        while (done < bytes.size()) {
            UINT count = static_cast<UINT>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            file.Write(bytes.data() + done, count);
            done += count;
        }
        file.Flush();
        file.Close();
    } catch (const CFileException& failure) {
        throw CommandError(target_ + ": cannot be written: " + failure.what());
    }
}

void unique_staged_file::commit() {
    // Held across the rename, so that no other program takes the target's
    // lock between the check and the move.
    CFile held;
    CFileException error;
    std::error_code status;
    if (std::filesystem::exists(std::filesystem::symlink_status(target_, status)) &&
        !held.Open(target_.c_str(), CFile::modeRead | CFile::shareExclusive, &error) &&
        error.m_cause != CFileException::fileNotFound) {
        if (error.m_cause == CFileException::sharingViolation)
            throw CommandError(target_ + ": the file is locked by another program");
        if (std::filesystem::is_directory(target_, status)) throw CommandError(target_ + ": a folder, not a file");
        throw CommandError(target_ + ": cannot be replaced: " + error.what());
    }
    std::filesystem::rename(temporary_, target_, status);
    if (status) throw CommandError(target_ + ": cannot be replaced: " + status.message());
    committed_ = true;
    held.Abort();
}

void WriteOutput(const std::string& path, std::string_view bytes) {
    if (!path.empty()) {
        unique_staged_file output(path);
        output.write(bytes);
        output.commit();
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
        throw CommandError("the standard output cannot be written");
}
