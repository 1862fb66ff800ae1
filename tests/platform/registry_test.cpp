#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

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
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, KEY_READ, key_.put()),
                  ERROR_SUCCESS);
    }

    unique_hkey key_;
};

TEST_F(RegQueryValueExA, ReportsFullSizeWithoutBufferOrTooSmallOneAndFillsOneThatFits) {
    DWORD type = 0;
    DWORD size = 99;
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);

    char buffer[10] = {};
    type = 0;
    size = 3;
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_SZ);

    for (DWORD given : {4u, 10u}) {
        size = given;
        EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(std::string(buffer, 4), "abc\0"s);
    }
}

TEST_F(RegQueryValueExA, GivesDwordTypeAloneOrWithLittleEndianBytes) {
    DWORD type = 0;
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Count", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(query_value(key_.get(), "Count").data, "\x0A\0\0\0"s);
}

TEST_F(RegQueryValueExA, ReportsSizeZeroForMissingValue) {
    DWORD type = 77;
    DWORD size = 99;
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(::RegQueryValueExA(key_.get(), nullptr, nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegQueryValueExA, RejectsBadHandleFirstThenBufferWithoutSizeAndReservedPointer) {
    BYTE buffer[8];
    DWORD reserved = 0;
    DWORD size = sizeof buffer;
    EXPECT_EQ(::RegQueryValueExA(bad_handle(), "Name", &reserved, nullptr, buffer, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(::RegQueryValueExA(nullptr, "Name", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(::RegQueryValueExA(key_.get(), "Name", &reserved, nullptr, buffer, &size), ERROR_INVALID_PARAMETER);
}

TEST_F(RegQueryValueExA, RejectsClosedHandle) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(::RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegQueryValueExA, ReadsValueOfPredefinedKeyItself) {
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Root").data, "r\0"s);
    EXPECT_EQ(query_value(HKEY_CURRENT_USER, "Root").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegQueryValueExA, NarrowsThroughAnsiCodePage) {
    EXPECT_EQ(query_value(key_.get(), "Japanese").data, "??\0"s);
    ASSERT_TRUE(SetAnsiCodePageForTesting(932));
    EXPECT_EQ(query_value(key_.get(), "Japanese").data, "\x93\xFA\x96\x7B\0"s);
}

struct access_case {
    const char* name;
    REGSAM sam;
    LSTATUS expected;
};

class RegQueryValueExAAccess : public RegistryFileTest, public ::testing::WithParamInterface<access_case> {};

TEST_P(RegQueryValueExAAccess, NeedsQueryRightOfOpen) {
    use_registry(kProductFile);
    unique_hkey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, GetParam().sam, key.put()),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(::RegQueryValueExA(key.get(), "Name", nullptr, nullptr, nullptr, &size), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rights, RegQueryValueExAAccess,
                         ::testing::Values(access_case{"None", 0, ERROR_ACCESS_DENIED},
                                           access_case{"EnumerateOnly", KEY_ENUMERATE_SUB_KEYS, ERROR_ACCESS_DENIED},
                                           access_case{"QueryValue", KEY_QUERY_VALUE, ERROR_SUCCESS},
                                           access_case{"Read", KEY_READ, ERROR_SUCCESS},
                                           access_case{"GenericRead", 0x80000000, ERROR_SUCCESS},
                                           access_case{"MaximumAllowed", 0x02000000, ERROR_SUCCESS}),
                         [](const auto& info) { return std::string(info.param.name); });

using RegOpenKeyExA = RegistryFileTest;

TEST_F(RegOpenKeyExA, FindsNothingWithoutVariableOrFile) {
    HKEY key = bad_handle();
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Root").status, ERROR_FILE_NOT_FOUND);

    SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of("absent.reg").c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegOpenKeyExA, FailsWithBadDatabaseWhenFileIsFolder) {
    SetEnvironmentVariableA("XMLXSL_REGISTRY", folder_.string().c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, nullptr), ERROR_BADDB);
}

TEST_F(RegOpenKeyExA, RejectsNullResultBeforeBadHandle) {
    use_registry(kProductFile);
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(::RegOpenKeyExA(bad_handle(), "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegOpenKeyExA, RejectsBadHandlesWithNullResult) {
    use_registry(kProductFile);
    for (HKEY handle : {bad_handle(), static_cast<HKEY>(nullptr),
                        reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000004))),
                        reinterpret_cast<HKEY>(std::uintptr_t{0x0000000180000002})}) {
        HKEY key = bad_handle();
        EXPECT_EQ(::RegOpenKeyExA(handle, "Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
        EXPECT_EQ(key, nullptr);
    }
}

TEST_F(RegOpenKeyExA, AcceptsZeroExtendedPredefinedKey) {
    use_registry(kProductFile);
    HKEY zeroExtended = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
    EXPECT_EQ(query_value(zeroExtended, "Software\\Maker\\Product", "Name").data, "abc\0"s);
    EXPECT_EQ(query_value(zeroExtended, "Root").data, "r\0"s);
    EXPECT_EQ(RegCloseKey(zeroExtended), ERROR_SUCCESS);
}

struct root_case {
    const char* name;
    HKEY root;
};

class RegOpenKeyExARoots : public RegistryFileTest, public ::testing::WithParamInterface<root_case> {};

TEST_P(RegOpenKeyExARoots, OpensSectionOfItsOwnRoot) {
    use_registry(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\Key]\r\n\"v\"=\"HKEY_CLASSES_ROOT\"\r\n"
        "[HKEY_CURRENT_USER\\Key]\r\n\"v\"=\"HKEY_CURRENT_USER\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Key]\r\n\"v\"=\"HKEY_LOCAL_MACHINE\"\r\n"
        "[HKEY_USERS\\Key]\r\n\"v\"=\"HKEY_USERS\"\r\n"
        "[HKEY_CURRENT_CONFIG\\Key]\r\n\"v\"=\"HKEY_CURRENT_CONFIG\"\r\n");

    EXPECT_EQ(query_value(GetParam().root, "Key", "v").data, GetParam().name + "\0"s);
}

INSTANTIATE_TEST_SUITE_P(Predefined, RegOpenKeyExARoots,
                         ::testing::Values(root_case{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                           root_case{"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                           root_case{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                           root_case{"HKEY_USERS", HKEY_USERS},
                                           root_case{"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegOpenKeyExA, OpensNewHandleToKeyItselfForNullOrEmptySubKey) {
    use_registry(kProductFile);
    unique_hkey product;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, KEY_READ, product.put()),
              ERROR_SUCCESS);
    for (const char* subKey : {static_cast<const char*>(nullptr), ""}) {
        unique_hkey same;
        ASSERT_EQ(::RegOpenKeyExA(product.get(), subKey, 0, KEY_READ, same.put()), ERROR_SUCCESS);
        EXPECT_NE(same.get(), product.get());
        EXPECT_EQ(query_value(same.get(), "Name").data, "abc\0"s);
    }
    unique_hkey root;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, root.put()), ERROR_SUCCESS);
    EXPECT_NE(root.get(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(query_value(root.get(), "Root").data, "r\0"s);
}

TEST_F(RegOpenKeyExA, OpensSubKeyOfOpenedKey) {
    use_registry(kProductFile);
    unique_hkey maker;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\maker", 0, KEY_READ, maker.put()), ERROR_SUCCESS);
    EXPECT_EQ(query_value(maker.get(), "Product", "Name").data, "abc\0"s);
    EXPECT_EQ(query_value(maker.get(), "Product\\Paths", nullptr).data, "/opt/product\0"s);
    EXPECT_EQ(query_value(maker.get(), "Product\\Paths\\", nullptr).data, "/opt/product\0"s);
    EXPECT_EQ(open_status(maker.get(), "Product\\\\Paths"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(maker.get(), "\\Product"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_status(maker.get(), "Software"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegOpenKeyExA, ReadsFileAfreshWhileOpenedHandleKeepsItsValues) {
    use_registry(kProductFile);
    unique_hkey before;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, KEY_READ, before.put()),
              ERROR_SUCCESS);

    use_registry(
        "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product]\r\n"
        "\"Name\"=\"changed\"\r\n");
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", "Name").data, "changed\0"s);
    EXPECT_EQ(query_value(before.get(), "Name").data, "abc\0"s);
    EXPECT_EQ(query_value(before.get(), "Count").data, "\x0A\0\0\0"s);
    EXPECT_EQ(open_status(before.get(), "Paths"), ERROR_FILE_NOT_FOUND);

    std::filesystem::remove(path_of("test.reg"));
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query_value(before.get(), "Name").data, "abc\0"s);
}

TEST_F(RegOpenKeyExA, FollowsVariableToAnotherFile) {
    write_file("other.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Other]\r\n");
    use_registry(kProductFile);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Other"), ERROR_FILE_NOT_FOUND);

    SetEnvironmentVariableA("XMLXSL_REGISTRY", path_of("other.reg").c_str());
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Other"), ERROR_SUCCESS);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Software"), ERROR_FILE_NOT_FOUND);

    SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
    EXPECT_EQ(open_status(HKEY_LOCAL_MACHINE, "Other"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegOpenKeyExA, FailsUnderOpenedKeyOnceFileIsMalformed) {
    use_registry(kProductFile);
    unique_hkey product;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, KEY_READ, product.put()),
              ERROR_SUCCESS);
    use_registry("Windows Registry Editor Version 5.00\r\n\"stray\"=\"value\"\r\n");

    HKEY paths = bad_handle();
    EXPECT_EQ(::RegOpenKeyExA(product.get(), "Paths", 0, KEY_READ, &paths), ERROR_BADDB);
    EXPECT_EQ(paths, nullptr);
    EXPECT_EQ(query_value(HKEY_LOCAL_MACHINE, "Root").status, ERROR_BADDB);
}

TEST(RegCloseKey, AcceptsPredefinedKeysAndRejectsNull) {
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_USERS), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bad_handle()), ERROR_INVALID_HANDLE);
}

}  // namespace
