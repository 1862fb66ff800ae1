#include "host/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "host/command_error.h"
#include "host/interruption.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/replace_file.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 1u << 30;
constexpr char kDiskFull[] = "the disk is full; free some space and try again";

std::string random_suffix() {
    std::random_device random;
    char text[24];
    std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(random()), static_cast<unsigned>(random()));
    return text;
}

bool is_staged_beside(const output_target& target) {
    return target.kind == output_kind::new_file || target.kind == output_kind::replaced_file;
}

std::string staging_name(const output_target& target) {
    if (!is_staged_beside(target)) {
        std::error_code ignored;
        fs::path folder = fs::temp_directory_path(ignored);
        return ((folder.empty() ? fs::path("/tmp") : folder) / ("xmlxsl-" + random_suffix() + ".tmp")).string();
    }
    fs::path file(target.file);
    std::string name = std::string(".").append(file.filename().string()).append(".").append(random_suffix());
    return (file.parent_path() / name.append(".tmp")).string();
}

[[noreturn]] void fail_to_write(const output_target& target, const CFileException& failure) {
    const std::string name = OutputName(target);
    switch (failure.m_cause) {
        case CFileException::diskFull:
            throw CommandError(name + ": cannot be written: " + kDiskFull);
        case CFileException::sharingViolation:
            throw CommandError(name + ": the file is locked by another program; close it there and try again");
        case CFileException::fileNotFound:
        case CFileException::badPath:
            throw CommandError(name + ": cannot be written: its folder went away; create it again");
        case CFileException::accessDenied:
            throw CommandError(name + ": cannot be written: access is denied");
    }
    throw CommandError(name + ": cannot be written: " + failure.what());
}

void write_all(CFile& file, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        UINT count = static_cast<UINT>(std::min(bytes.size() - done, kChunk));
        file.Write(bytes.data() + done, count);
        done += count;
    }
}

void open_output(CFile& file, const output_target& target, UINT mode) {
    CFileException error;
    if (!file.Open(target.file.c_str(), mode | CFile::typeBinary, &error)) fail_to_write(target, error);
}

// The old bytes stay whole unless the new ones have room: the file is first
// lengthened with real bytes, which a full disk refuses, and cut back then.
void write_in_place(const output_target& target, std::string_view bytes) {
    deferred_interruption whole;
    CFile file;
    open_output(file, target, CFile::modeWrite | CFile::shareExclusive);
    try {
        const std::uint64_t length = file.SeekToEnd();
        if (bytes.size() > length) {
            try {
                write_all(file, std::string(bytes.size() - length, '\0'));
                file.Flush();
            } catch (const CFileException&) {
                try {
                    file.SetLength(length);
                } catch (const CFileException&) {
                }
                throw;
            }
        }
        file.SeekToBegin();
        write_all(file, bytes);
        file.SetLength(bytes.size());
        file.Flush();
        file.Close();
    } catch (const CFileException& failure) {
        fail_to_write(target, failure);
    }
}

// A regular file reached this way (/dev/stdout, /dev/fd/N) is one that the
// shell opened: appending keeps what ">>" or an earlier command put there,
// and after ">" it is the same as writing from the start.
void write_directly(const output_target& target, std::string_view bytes) {
    CFile file;
    open_output(file, target, CFile::modeWrite | CFile::shareDenyNone);
    try {
        std::error_code ignored;
        if (fs::is_regular_file(target.file, ignored)) file.SeekToEnd();
        write_all(file, bytes);
        file.Flush();
        file.Close();
    } catch (const CFileException& failure) {
        fail_to_write(target, failure);
    }
}

void write_standard_output(std::string_view bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return;
    if (errno == ENOSPC) throw CommandError(std::string("the standard output cannot be written: ") + kDiskFull);
    throw CommandError("the standard output cannot be written");
}

// Every target but a new or replaced one.
void write_straight(const output_target& target, std::string_view bytes) {
    switch (target.kind) {
        case output_kind::in_place:
            write_in_place(target, bytes);
            return;
        case output_kind::direct:
            write_directly(target, bytes);
            return;
        default:
            write_standard_output(bytes);
    }
}

std::string read_staged(const std::string& path, const output_target& target) {
    CFile file;
    CFileException error;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive | CFile::typeBinary, &error))
        fail_to_write(target, error);
    std::string bytes;
    try {
        ReadRestAndClose(file, bytes);
    } catch (const CFileException& failure) {
        fail_to_write(target, failure);
    }
    return bytes;
}

[[noreturn]] void fail_to_replace(const output_target& target, DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
            throw CommandError(target.given + ": the file is locked by another program; close it there and try again");
        case ERROR_ACCESS_DENIED:
            throw CommandError(target.given +
                               ": cannot be replaced: access is denied, or its owner and group cannot be kept");
        case ERROR_FILE_NOT_FOUND:
            throw CommandError(target.given + ": cannot be replaced: the file went away while it was written");
    }
    throw CommandError(target.given + ": cannot be replaced (Windows error " + std::to_string(error) + ")");
}

}  // namespace

unique_staged_file::unique_staged_file(output_target target) : target_(std::move(target)) {
    std::error_code ignored;
    do {
        temporary_ = staging_name(target_);
    } while (fs::exists(fs::symlink_status(temporary_, ignored)));
    registered_.emplace(temporary_);
}

unique_staged_file::~unique_staged_file() {
    if (moved_) return;
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

void unique_staged_file::write(std::string_view bytes) {
    CFile file;
    CFileException error;
    if (!file.Open(temporary_.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, &error))
        fail_to_write(target_, error);
    try {
        write_all(file, bytes);
        file.Flush();
        file.Close();
    } catch (const CFileException& failure) {
        fail_to_write(target_, failure);
    }
}

void unique_staged_file::commit() {
    HoldForTesting(temporary_);
    switch (target_.kind) {
        case output_kind::new_file: {
            std::error_code error;
            fs::rename(temporary_, target_.file, error);
            if (error) throw CommandError(target_.given + ": cannot be written: " + error.message());
            moved_ = true;
            return;
        }
        case output_kind::replaced_file:
            if (!ReplaceFileA(target_.file.c_str(), temporary_.c_str(), nullptr, 0, nullptr, nullptr))
                fail_to_replace(target_, GetLastError());
            moved_ = true;
            return;
        default:
            write_straight(target_, read_staged(temporary_, target_));
    }
}

void WriteOutput(const output_target& target, std::string_view bytes) {
    if (!is_staged_beside(target)) return write_straight(target, bytes);
    unique_staged_file staged(target);
    staged.write(bytes);
    staged.commit();
}
