#include "platform/library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <type_traits>

#include "platform/com.h"
#include "platform/com_ptr.h"
#include "tests/platform/test_component.h"

namespace {

constexpr char kTestComponentPath[] = XMLXSL_TEST_COMPONENT_PATH;

// Frees a loaded module even when an assertion fails.
struct module_free {
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using unique_module = std::unique_ptr<std::remove_pointer_t<HMODULE>, module_free>;

HRESULT create_test_object(com_ptr<IUnknown>& object) {
    return CoCreateInstance(kTestComponentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
}

class TestComponent : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
    void TearDown() override { CoUninitialize(); }
};

TEST(LoadLibraryA, ReturnsNullForAMissingFileOrNoName) {
    EXPECT_EQ(nullptr, LoadLibraryA("/nonexistent/libnothing.so"));
    EXPECT_EQ(nullptr, LoadLibraryA(nullptr));
    EXPECT_EQ(FALSE, FreeLibrary(nullptr));
}

TEST(GetProcAddress, FindsExportedFunctionsAndDataOnly) {
    unique_module module(LoadLibraryA(kTestComponentPath));
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, GetProcAddress(module.get(), kTestComponentLiveObjectsSymbol));
    EXPECT_EQ(nullptr, GetProcAddress(module.get(), "NoSuchFunction"));
    EXPECT_EQ(nullptr, GetProcAddress(module.get(), nullptr));
    EXPECT_EQ(nullptr, GetProcAddress(module.get(), reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(1))));
    EXPECT_EQ(nullptr, GetProcAddress(nullptr, kTestComponentLiveObjectsSymbol));
    const void* clsid = GetDataAddress(module.get(), kTestComponentClassSymbol);
    ASSERT_NE(nullptr, clsid);
    EXPECT_TRUE(IsEqualGUID(kTestComponentClass, *static_cast<const CLSID*>(clsid)));
    EXPECT_EQ(nullptr, GetDataAddress(module.get(), "NoSuchObject"));
}

TEST_F(TestComponent, RegistersItsClassWhileLoaded) {
    com_ptr<IUnknown> object;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create_test_object(object));

    unique_module module(LoadLibraryA(kTestComponentPath));
    ASSERT_NE(nullptr, module);
    auto liveObjects = reinterpret_cast<TestComponentLiveObjectsFunction>(
        GetProcAddress(module.get(), kTestComponentLiveObjectsSymbol));
    ASSERT_NE(nullptr, liveObjects);
    ASSERT_EQ(S_OK, create_test_object(object));
    EXPECT_EQ(1, liveObjects());
    object.reset();
    EXPECT_EQ(0, liveObjects());

    EXPECT_EQ(TRUE, FreeLibrary(module.release()));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create_test_object(object));
    EXPECT_FALSE(object);
}

TEST_F(TestComponent, StaysRegisteredUntilTheLastFree) {
    unique_module first(LoadLibraryA(kTestComponentPath)), second(LoadLibraryA(kTestComponentPath));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(TRUE, FreeLibrary(first.release()));
    com_ptr<IUnknown> object;
    EXPECT_EQ(S_OK, create_test_object(object));
    object.reset();
    EXPECT_EQ(TRUE, FreeLibrary(second.release()));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create_test_object(object));
}

}  // namespace
