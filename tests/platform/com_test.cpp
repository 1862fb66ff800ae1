#include "platform/com.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "tests/platform/ole_fakes.h"

namespace {

constexpr CLSID kFakeClass = {0x3C0A51E2, 0x11D4, 0x4B7A, {0x8E, 0x02, 0x5F, 0x6A, 0x90, 0x13, 0xC7, 0x2B}};
constexpr CLSID kUnknownClass = {0x3C0A51E2, 0x11D4, 0x4B7A, {0x8E, 0x02, 0x5F, 0x6A, 0x90, 0x13, 0xC7, 0x2C}};
constexpr IID kOtherInterface = {0x9D4E7F10, 0x2A6B, 0x4C38, {0xB1, 0x5E, 0x77, 0x02, 0x4D, 0x3F, 0xA8, 0x61}};

// Counts every call; it hands out its one product object.
class CountingFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        bool known = iid == IID_IUnknown || (answersClassFactory && iid == IID_IClassFactory);
        *object = known ? static_cast<IClassFactory*>(this) : nullptr;
        if (!known) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++addRefs); }
    ULONG Release() override { return static_cast<ULONG>(++releases); }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        ++createInstances;
        *object = nullptr;
        return outer != nullptr ? CLASS_E_NOAGGREGATION : product.QueryInterface(iid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    int references() const { return addRefs - releases; }

    bool answersClassFactory = true;
    int addRefs = 0;
    int releases = 0;
    int createInstances = 0;
    counting_unknown product;
};

void* const kUntouched = reinterpret_cast<void*>(0x1);

// The test's own thread has COM for the test's duration; a new thread starts without.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
    // Cookies are not reused, so revoking one twice is harmless.
    void TearDown() override {
        CoRevokeClassObject(cookie);
        CoUnregisterComponentClass(kFakeClass);
        CoUninitialize();
    }

    void register_factory(DWORD clsctx = CLSCTX_INPROC_SERVER) {
        ASSERT_EQ(S_OK, CoRegisterClassObject(kFakeClass, &factory, clsctx, REGCLS_MULTIPLEUSE, &cookie));
    }
    HRESULT create(IUnknown* outer, DWORD clsctx, REFIID iid = IID_IUnknown) {
        object = kUntouched;
        return CoCreateInstance(kFakeClass, outer, clsctx, iid, &object);
    }

    CountingFactory factory;
    DWORD cookie = 0;
    void* object = nullptr;
};

TEST(ComIdentifiers, HaveWindowsValues) {
    const IID unknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const IID classFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    EXPECT_TRUE(IsEqualGUID(unknown, IID_IUnknown));
    EXPECT_TRUE(IsEqualGUID(classFactory, IID_IClassFactory));
}

TEST(CoInitialize, CountsCallsOnItsOwnThreadAndRejectsAReservedPointerWithoutCounting) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    int reserved = 0;
    std::vector<HRESULT> results;
    std::thread([&] {
        results.push_back(CoInitialize(&reserved));
        results.push_back(CoInitializeEx(&reserved, COINIT_MULTITHREADED));
        results.push_back(CoInitialize(nullptr));
        results.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        results.push_back(CoInitialize(nullptr));
        // The fourth call is unbalanced and must not take the count below zero.
        for (int i = 0; i < 4; ++i) CoUninitialize();
        results.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoUninitialize();
    }).join();
    CoUninitialize();
    EXPECT_EQ((std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, S_OK, S_FALSE, S_FALSE, S_OK}), results);
}

// Arguments are checked first; then a thread without COM can neither create
// nor register.
TEST_F(ComTest, CreationAndRegistrationFailOnAThreadWithoutCom) {
    register_factory();
    CountingFactory other;
    DWORD otherCookie = 7;
    std::vector<HRESULT> results;
    std::thread([&] {
        results.push_back(CoCreateInstance(kFakeClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr));
        results.push_back(create(nullptr, CLSCTX_INPROC_SERVER));
        results.push_back(CoRegisterClassObject(kFakeClass, nullptr, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &otherCookie));
        results.push_back(CoRegisterClassObject(kFakeClass, &other, CLSCTX_ALL, REGCLS_MULTIPLEUSE, nullptr));
        results.push_back(CoRegisterClassObject(kFakeClass, &other, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &otherCookie));
    }).join();
    EXPECT_EQ((std::vector<HRESULT>{E_POINTER, CO_E_NOTINITIALIZED, E_INVALIDARG, E_INVALIDARG, CO_E_NOTINITIALIZED}),
              results);
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, factory.createInstances);
    EXPECT_EQ(0u, otherCookie);
    EXPECT_EQ(0, other.addRefs);
}

// A class registered for any context that the request names is found.
TEST_F(ComTest, FindsAClassObjectWhenTheContextsShareABit) {
    const std::tuple<DWORD, DWORD, bool> cases[] = {
        {CLSCTX_INPROC_SERVER, CLSCTX_INPROC_SERVER, true},
        {CLSCTX_INPROC_SERVER, CLSCTX_ALL, true},
        {CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, true},
        {CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, CLSCTX_LOCAL_SERVER, true},
        {CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER, false},
        {CLSCTX_INPROC_HANDLER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, false},
        {CLSCTX_ALL, 0, false}};
    for (auto [registered, requested, found] : cases) {
        register_factory(registered);
        EXPECT_EQ(found ? S_OK : REGDB_E_CLASSNOTREG, create(nullptr, requested)) << registered << " " << requested;
        EXPECT_EQ(found ? static_cast<IUnknown*>(&factory.product) : nullptr, object);
        ASSERT_EQ(S_OK, CoRevokeClassObject(cookie));
    }
    EXPECT_EQ(4, factory.createInstances);
}

TEST_F(ComTest, RegistrationHoldsOneReferenceThatRevokeFromAnyThreadReleases) {
    register_factory();
    EXPECT_NE(0u, cookie);
    EXPECT_EQ(1, factory.references());
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);

    ASSERT_EQ(S_OK, create(nullptr, CLSCTX_INPROC_SERVER));
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(1, factory.references());
    EXPECT_EQ(1, factory.product.add_refs);
    EXPECT_EQ(1, factory.product.releases);

    HRESULT revoked = E_FAIL;
    std::thread([&] { revoked = CoRevokeClassObject(cookie); }).join();
    EXPECT_EQ(S_OK, revoked);
    EXPECT_EQ(0, factory.references());
    EXPECT_EQ(CO_E_OBJNOTREG, CoRevokeClassObject(cookie));
    EXPECT_EQ(0, factory.references());
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ComTest, CreationPassesTheFactoryResultThroughAndNeedsAClassFactory) {
    register_factory();
    counting_unknown outer;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, create(&outer, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_NOINTERFACE, create(nullptr, CLSCTX_INPROC_SERVER, kOtherInterface));
    EXPECT_EQ(nullptr, object);
    factory.answersClassFactory = false;
    EXPECT_EQ(E_NOINTERFACE, create(nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(2, factory.createInstances);
    EXPECT_EQ(1, factory.references());
}

TEST_F(ComTest, ComponentClassAnswersInProcessRequestsOnlyAndTakesNoReference) {
    EXPECT_EQ(E_INVALIDARG, CoRegisterComponentClass(kFakeClass, nullptr));
    CountingFactory component;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &component));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(nullptr, CLSCTX_LOCAL_SERVER));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_OK, create(nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(static_cast<IUnknown*>(&component.product), object);
    EXPECT_EQ(S_OK, create(nullptr, CLSCTX_ALL));
    EXPECT_EQ(2, component.createInstances);
    EXPECT_EQ(0, component.references());
    CoUnregisterComponentClass(kFakeClass);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(nullptr, CLSCTX_ALL));
}

TEST_F(ComTest, RegisteredClassObjectComesBeforeTheLatestComponentClass) {
    CountingFactory earlier, later;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &earlier));
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &later));
    register_factory();
    EXPECT_EQ(S_OK, create(nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(static_cast<IUnknown*>(&factory.product), object);
    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
    EXPECT_EQ(S_OK, create(nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_EQ(static_cast<IUnknown*>(&later.product), object);
    EXPECT_EQ(0, earlier.createInstances);
    CoUnregisterComponentClass(kFakeClass);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, create(nullptr, CLSCTX_INPROC_SERVER));
}

}  // namespace
