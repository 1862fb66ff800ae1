#include "platform/full_path.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

std::string FullPathName(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0') return {};
    std::filesystem::path absolute(fileName);
    if (absolute.is_relative()) {
        std::error_code failure;
        std::filesystem::path workingDirectory = std::filesystem::current_path(failure);
        if (failure) return {};
        absolute = workingDirectory / absolute;
    }
    return absolute.lexically_normal().string();
}

std::string MergeDoubledSeparators(const std::string& path) {
    std::string merged;
    merged.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        merged.push_back(path[i]);
        if (path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/') ++i;
    }
    return merged;
}

DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
    std::string full;
    try {
        full = FullPathName(lpFileName);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (full.empty()) return 0;
    if (full.size() >= nBufferLength || lpBuffer == nullptr) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
    if (lpFilePart != nullptr) {
        const std::size_t name = full.rfind('/') + 1;
        *lpFilePart = name < full.size() ? lpBuffer + name : nullptr;
    }
    return static_cast<DWORD>(full.size());
}
