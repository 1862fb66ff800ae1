#pragma once

// A registry file of each test's own, in a folder of its own, named by
// XMLXSL_REGISTRY while the test runs; the ANSI code page is 1252 unless the
// test switches it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/unique_hkey.h"

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("xmlxsl-registry-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder_);
        ASSERT_TRUE(SetAnsiCodePageForTesting(1252));
    }
    void TearDown() override {
        SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
        SetAnsiCodePageForTesting(1252);
        std::filesystem::remove_all(folder_);
    }

    std::string path_of(std::string_view name) const { return (folder_ / name).string(); }

    // Writes the bytes as they are and names the file in the variable.
    void use_registry(std::string_view bytes, std::string_view name = "test.reg") const {
        std::ofstream(path_of(name), std::ios::binary).write(bytes.data(), bytes.size());
        SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of(name).c_str());
    }

    std::filesystem::path folder_;
};


// Opens root\subKey, expecting it to open.
inline unique_hkey open_key(HKEY root, const char* subKey, REGSAM sam = KEY_READ) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(root, subKey, 0, sam, &key), ERROR_SUCCESS) << subKey;
    return unique_hkey(key);
}

inline LSTATUS open_status(HKEY root, const char* subKey) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key);
    if (key != nullptr) RegCloseKey(key);
    return status;
}

struct queried_value {
    LSTATUS status = -1;
    DWORD type = 0xFFFF;
    std::string data;

    friend bool operator==(const queried_value&, const queried_value&) = default;
    friend void PrintTo(const queried_value& value, std::ostream* out) {
        *out << value.status << ", type " << value.type << ", " << ::testing::PrintToString(value.data);
    }
};

inline queried_value found(DWORD type, std::string data) { return {ERROR_SUCCESS, type, std::move(data)}; }

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
    HKEY key = nullptr;
    if (LSTATUS status = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key); status != ERROR_SUCCESS)
        return {status, 0xFFFF, {}};
    unique_hkey opened(key);
    return query_value(opened.get(), name);
}
