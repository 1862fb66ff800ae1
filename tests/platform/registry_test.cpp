#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "tests/platform/registry_fixture.h"

using namespace std::string_literals;

namespace {

const std::string kProductFile =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE]\r\n\"Root\"=\"r\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product]\r\n"
    "\"Name\"=\"abc\"\r\n"
    "\"Count\"=dword:0000000a\r\n"
    "\"Japanese\"=\"\xE6\x97\xA5\xE6\x9C\xAC\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product\\Paths]\r\n"
    "@=\"/opt/product\"\r\n";

HKEY bad_handle() { return reinterpret_cast<HKEY>(std::uintptr_t{0x7777}); }

class RegQueryValueExA : public RegistryFileTest {
protected:
    void SetUp() override {
        RegistryFileTest::SetUp();
        use_registry(kProductFile);
        key_ = open_key(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product");
    }

    LSTATUS query(const char* name, DWORD* type, char* buffer, DWORD* size) {
        return ::RegQueryValueExA(key_.get(), name, nullptr, type, reinterpret_cast<BYTE*>(buffer), size);
    }

    unique_hkey key_;
};

// A missing value reports size 0; a buffer too small, the full size.
TEST_F(RegQueryValueExA, FollowsTheSizeProtocol) {
    DWORD type = 0, size = 99;
    EXPECT_EQ(query("Name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    char buffer[10] = {};
    type = 0;
    size = 3;
    EXPECT_EQ(query("Name", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_SZ);
    for (DWORD given : {4u, 10u}) {
        size = given;
        EXPECT_EQ(query("Name", nullptr, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(std::string(buffer, 4), "abc\0"s);
    }
    EXPECT_EQ(query("Count", &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    size = 77;
    EXPECT_EQ(query("Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(query(nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegQueryValueExA, RejectsABadOrClosedHandleFirstThenABufferWithoutSizeAndAReservedPointer) {
    BYTE buffer[8];
    DWORD reserved = 0, size = sizeof buffer;
    EXPECT_EQ(::RegQueryValueExA(bad_handle(), "Name", &reserved, nullptr, buffer, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(::RegQueryValueExA(nullptr, "Name", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", &reserved, nullptr, buffer, &size), ERROR_INVALID_PARAMETER);
    HKEY closed = key_.get();
    key_.reset();
    EXPECT_EQ(::RegQueryValueExA(closed, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_USERS), ERROR_SUCCESS);
}

TEST_F(RegQueryValueExA, NarrowsThroughTheAnsiCodePage) {
    EXPECT_EQ(query_value(key_.get(), "Japanese").data, "??\0"s);
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(query_value(key_.get(), "Japanese").data, "\x93\xFA\x96\x7B\0"s);
}

TEST_F(RegQueryValueExA, NeedsTheQueryRightOfTheOpen) {
    const std::pair<REGSAM, LSTATUS> rights[] = {
        {0, ERROR_ACCESS_DENIED},         {KEY_ENUMERATE_SUB_KEYS, ERROR_ACCESS_DENIED},
        {KEY_QUERY_VALUE, ERROR_SUCCESS}, {KEY_READ, ERROR_SUCCESS},
        {0x80000000, ERROR_SUCCESS},      {0x02000000, ERROR_SUCCESS}};  // generic read, maximum allowed
    for (auto [sam, expected] : rights) {
        key_ = open_key(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", sam);
        DWORD size = 0;
        EXPECT_EQ(query("Name", nullptr, nullptr, &size), expected) << std::hex << sam;
    }
}

using RegOpenKeyExA = RegistryFileTest;

TEST_F(RegOpenKeyExA, FindsNothingWithoutVariableOrFileAndFailsOnAFolder) {
    HKEY key = bad_handle();
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Root").status, ERROR_FILE_NOT_FOUND);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of("absent.reg").c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_FILE_NOT_FOUND);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.string().c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_BADDB);
}

TEST_F(RegOpenKeyExA, RejectsANullResultFirstThenBadHandles) {
    use_registry(kProductFile);
    EXPECT_EQ(::RegOpenKeyExA(bad_handle(), "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    for (HKEY handle : {bad_handle(), static_cast<HKEY>(nullptr),
                        reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000004))),
                        reinterpret_cast<HKEY>(std::uintptr_t{0x0000000180000002})}) {
        HKEY key = bad_handle();
        EXPECT_EQ(::RegOpenKeyExA(handle, "Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
        EXPECT_EQ(key, nullptr);
    }
}

TEST_F(RegOpenKeyExA, OpensTheSectionOfEachRootAndAZeroExtendedOne) {
    use_registry(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\Key]\r\n\"v\"=\"classes\"\r\n[HKEY_CURRENT_USER\\Key]\r\n\"v\"=\"user\"\r\n"
        "[HKEY_LOCAL_MACHINE]\r\n\"Root\"=\"r\"\r\n[HKEY_LOCAL_MACHINE\\Key]\r\n\"v\"=\"machine\"\r\n"
        "[HKEY_USERS\\Key]\r\n\"v\"=\"users\"\r\n[HKEY_CURRENT_CONFIG\\Key]\r\n\"v\"=\"config\"\r\n");
    const HKEY zeroExtended = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
    const std::pair<HKEY, std::string> roots[] = {{HKEY_CLASSES_ROOT, "classes\0"s},  {HKEY_CURRENT_USER, "user\0"s},
                                                  {HKEY_LOCAL_MACHINE, "machine\0"s}, {HKEY_USERS, "users\0"s},
                                                  {HKEY_CURRENT_CONFIG, "config\0"s}, {zeroExtended, "machine\0"s}};
    for (const auto& [root, value] : roots) EXPECT_EQ(query_value(root, "Key", "v").data, value) << root;
    EXPECT_EQ(query_value(zeroExtended, "Root").data, "r\0"s);
    EXPECT_EQ(query_value(HKEY_CURRENT_USER, "Root").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(zeroExtended), ERROR_SUCCESS);
}

// A null or empty sub key opens a new handle to the key itself.
TEST_F(RegOpenKeyExA, OpensBelowAnOpenedKeyOrTheKeyItself) {
    use_registry(kProductFile);
    unique_hkey maker = open_key(HKEY_LOCAL_MACHINE, "SOFTWARE\\maker");
    EXPECT_EQ(query_value(maker.get(), "Product", "Name").data, "abc\0"s);
    EXPECT_EQ(query_value(maker.get(), "Product\\Paths", nullptr).data, "/opt/product\0"s);
    EXPECT_EQ(query_value(maker.get(), "Product\\Paths\\", nullptr).data, "/opt/product\0"s);
    for (const char* missing : {"Product\\\\Paths", "\\Product", "Software"})
        EXPECT_EQ(open_status(maker.get(), missing), ERROR_FILE_NOT_FOUND) << missing;
    for (HKEY parent : {maker.get(), HKEY_LOCAL_MACHINE}) {
        for (const char* subKey : {static_cast<const char*>(nullptr), ""}) {
            unique_hkey same = open_key(parent, subKey);
            EXPECT_NE(same.get(), parent);
            EXPECT_EQ(open_status(same.get(), "Product"), parent == maker.get() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
        }
    }
    EXPECT_EQ(query_value(open_key(HKEY_LOCAL_MACHINE, "").get(), "Root").data, "r\0"s);
}

// The variable and the file are read at every open; an opened handle keeps
// the values it saw, but opens below it read the file as it is now.
TEST_F(RegOpenKeyExA, ReadsTheVariableAndFileAfreshWhileAnOpenedHandleKeepsItsValues) {
    use_registry("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Other]\r\n", "other.reg");
    use_registry(kProductFile);
    unique_hkey before = open_key(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product");
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Other"), ERROR_FILE_NOT_FOUND);

    use_registry(
        "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product]\r\n"
        "\"Name\"=\"changed\"\r\n");
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", "Name").data, "changed\0"s);
    EXPECT_EQ(query_value(before.get(), "Name").data, "abc\0"s);
    EXPECT_EQ(query_value(before.get(), "Count").data, "\x0A\0\0\0"s);
    EXPECT_EQ(open_status(before.get(), "Paths"), ERROR_FILE_NOT_FOUND);

    SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of("other.reg").c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Other"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software"), ERROR_FILE_NOT_FOUND);

    use_registry("Windows Registry Editor Version 5.00\r\n\"stray\"=\"value\"\r\n");
    HKEY paths = bad_handle();
    EXPECT_EQ(::RegOpenKeyExA(before.get(), "Paths", 0, KEY_READ, &paths), ERROR_BADDB);
    EXPECT_EQ(paths, nullptr);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Root").status, ERROR_BADDB);
    std::filesystem::remove(path_of("test.reg"));
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(before.get(), "Name").data, "abc\0"s);
}

}  // namespace
