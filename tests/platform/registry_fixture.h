#pragma once

// A registry file of each test's own, in a folder of its own, named by
// XMLXSL_REGISTRY while the test runs; the ANSI code page is 1252 unless the
// test switches it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/registry.h"

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(test.begin(), test.end(), '/', '-');
        folder_ = std::filesystem::temp_directory_path() /
                  ("xmlxsl-registry-" + std::to_string(std::random_device()()) + "-" + test);
        std::filesystem::create_directories(folder_);
        ASSERT_TRUE(SetAnsiCodePageForTesting(1252));
    }

    void TearDown() override {
        SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
        SetAnsiCodePageForTesting(1252);
        std::filesystem::remove_all(folder_);
    }

    std::string path_of(std::string_view name) const { return (folder_ / name).string(); }

    void write_file(std::string_view name, std::string_view bytes) const {
        std::ofstream(path_of(name), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    }

    // Writes the bytes as they are and names the file in the variable.
    void use_registry(std::string_view bytes, std::string_view name = "test.reg") const {
        write_file(name, bytes);
        SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of(name).c_str());
    }

    std::filesystem::path folder_;
};

// The text as the registry editor writes it: UTF-16LE after a byte order mark.
inline std::string utf16le_with_bom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// Closes the key it holds.
class unique_hkey {
public:
    unique_hkey() = default;
    unique_hkey(const unique_hkey&) = delete;
    unique_hkey& operator=(const unique_hkey&) = delete;
    ~unique_hkey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* put() {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = nullptr;
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};

struct queried_value {
    LSTATUS status = -1;
    DWORD type = 0xFFFF;
    std::string data;
};

// The value as a caller that asks for the size first, then passes a buffer of
// exactly that size, receives it.
inline queried_value query_value(HKEY key, const char* name) {
    queried_value result;
    DWORD size = 0;
    result.status = RegQueryValueExA(key, name, nullptr, &result.type, nullptr, &size);
    if (result.status != ERROR_SUCCESS) return result;
    result.data.assign(size, '\x7F');
    result.status =
        RegQueryValueExA(key, name, nullptr, &result.type, reinterpret_cast<BYTE*>(result.data.data()), &size);
    result.data.resize(size);
    return result;
}

// Opens root\subKey for reading, queries the value, closes.
inline queried_value query_value(HKEY root, const char* subKey, const char* name) {
    unique_hkey key;
    if (LSTATUS status = RegOpenKeyExA(root, subKey, 0, KEY_READ, key.put()); status != ERROR_SUCCESS)
        return {status, 0xFFFF, {}};
    return query_value(key.get(), name);
}

inline LSTATUS open_status(HKEY root, const char* subKey) {
    unique_hkey key;
    return RegOpenKeyExA(root, subKey, 0, KEY_READ, key.put());
}
