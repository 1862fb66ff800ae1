#include "platform/com.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "tests/platform/ole_fakes.h"

constexpr CLSID kFakeClass = {0x3C0A51E2, 0x11D4, 0x4B7A, {0x8E, 0x02, 0x5F, 0x6A, 0x90, 0x13, 0xC7, 0x2B}};

// Counts its references; it hands out its one product object, whose
// references count the creations. It is only asked for IClassFactory.
class CountingFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++references); }
    ULONG Release() override { return static_cast<ULONG>(--references); }
    HRESULT CreateInstance(IUnknown*, REFIID iid, void** out) override { return product.QueryInterface(iid, out); }
    HRESULT LockServer(BOOL) override { return S_OK; }

    int references = 0;
    counting_unknown product;
};

// The test's own thread has COM for the test's duration; a new thread starts
// without. Cookies are not reused, so revoking one twice is harmless.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
    void TearDown() override {
        CoRevokeClassObject(cookie);
        CoUnregisterComponentClass(kFakeClass);
        CoUninitialize();
    }

    // Leaves in `object` what came back, starting from a value that is no object.
    HRESULT create(DWORD clsctx) {
        object = reinterpret_cast<void*>(0x1);
        return CoCreateInstance(kFakeClass, nullptr, clsctx, IID_IUnknown, &object);
    }

    CountingFactory factory;
    DWORD cookie = 0;
    void* object = nullptr;
};

// S_OK for a thread's first call, S_FALSE after; an unbalanced
// CoUninitialize takes the count no lower than zero. Without COM a class
// registered on another thread is not created, and none is registered.
TEST_F(ComTest, CoInitializeCountsCallsOnItsOwnThreadOnly) {
    ASSERT_EQ(S_OK, CoRegisterClassObject(kFakeClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &cookie));
    DWORD otherCookie = 7;
    std::vector<HRESULT> results;
    std::thread([&] {
        results.push_back(create(CLSCTX_INPROC_SERVER));
        results.push_back(CoRegisterClassObject(kFakeClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &otherCookie));
        results.push_back(CoInitialize(nullptr));
        results.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        for (int i = 0; i < 3; ++i) CoUninitialize();
        results.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoUninitialize();
    }).join();
    EXPECT_EQ((std::vector<HRESULT>{CO_E_NOTINITIALIZED, CO_E_NOTINITIALIZED, S_OK, S_FALSE, S_OK}), results);
    EXPECT_EQ(std::tuple(object, factory.product.references, otherCookie, factory.references),
              std::tuple(static_cast<void*>(nullptr), 1u, 0u, 1));
}

// A registered class object is found when its contexts share a bit with the
// request's, before a component library's class, which answers in-process
// requests only and takes no reference. Registration holds one reference,
// which revoking releases.
TEST_F(ComTest, FindsARegisteredClassObjectBeforeTheComponentClass) {
    CountingFactory component;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &component));
    const std::tuple<DWORD, DWORD, IUnknown*> cases[] = {
        {CLSCTX_INPROC_SERVER, CLSCTX_INPROC_SERVER, &factory.product},
        {CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, &factory.product},
        {CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER, &component.product},
        {CLSCTX_INPROC_SERVER, CLSCTX_LOCAL_SERVER, nullptr}};
    for (auto [registered, requested, created] : cases) {
        ASSERT_EQ(S_OK, CoRegisterClassObject(kFakeClass, &factory, registered, REGCLS_MULTIPLEUSE, &cookie));
        EXPECT_EQ(1, factory.references);
        EXPECT_EQ(created ? S_OK : REGDB_E_CLASSNOTREG, create(requested)) << registered << " " << requested;
        EXPECT_EQ(created, object) << registered << " " << requested;
        EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
        EXPECT_EQ(0, factory.references);
    }
    EXPECT_EQ(CO_E_OBJNOTREG, CoRevokeClassObject(cookie));
    EXPECT_EQ(3u, factory.product.references);
    EXPECT_EQ(0, component.references);
    CoUnregisterComponentClass(kFakeClass);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(CLSCTX_INPROC_SERVER));
}
