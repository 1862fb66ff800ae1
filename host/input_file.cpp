#include "host/input_file.h"

#include <filesystem>
#include <system_error>

#include "host/command_error.h"
#include "platform/file.h"

namespace {

[[noreturn]] void fail_to_open(const std::string& path, const CFileException& error) {
    std::error_code ignored;
    switch (error.m_cause) {
        case CFileException::fileNotFound:
            throw CommandError(path + ": no such file");
        case CFileException::sharingViolation:
            throw CommandError(path + ": the file is locked by another program");
        case CFileException::accessDenied:
            if (std::filesystem::is_directory(path, ignored)) throw CommandError(path + ": a folder, not a file");
            break;
    }
    throw CommandError(path + ": cannot be opened: " + error.what());
}

void open_input(CFile& file, const std::string& path) {
    CFileException error;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive | CFile::typeBinary, &error))
        fail_to_open(path, error);
}

}  // namespace

std::string ReadInputFile(const std::string& path) {
    CFile file;
    open_input(file, path);
    std::string content;
    try {
        char chunk[64 * 1024];
        while (UINT count = file.Read(chunk, sizeof chunk)) content.append(chunk, count);
        file.Close();
    } catch (const CFileException& error) {
        throw CommandError(path + ": cannot be read: " + error.what());
    }
    if (content.empty()) throw CommandError(path + ": the file is empty");
    return content;
}

void CheckInputFile(const std::string& path) {
    CFile file;
    open_input(file, path);
    char first = 0;
    UINT count = 0;
    try {
        count = file.Read(&first, 1);
        file.Close();
    } catch (const CFileException& error) {
        throw CommandError(path + ": cannot be read: " + error.what());
    }
    if (count == 0) throw CommandError(path + ": the file is empty");
}
