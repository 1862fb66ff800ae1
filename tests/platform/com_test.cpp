#include "platform/com.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr CLSID kFakeClass = {0x3C0A51E2, 0x11D4, 0x4B7A, {0x8E, 0x02, 0x5F, 0x6A, 0x90, 0x13, 0xC7, 0x2B}};
constexpr CLSID kUnknownClass = {0x3C0A51E2, 0x11D4, 0x4B7A, {0x8E, 0x02, 0x5F, 0x6A, 0x90, 0x13, 0xC7, 0x2C}};
constexpr IID kOtherInterface = {0x9D4E7F10, 0x2A6B, 0x4C38, {0xB1, 0x5E, 0x77, 0x02, 0x4D, 0x3F, 0xA8, 0x61}};

class CountingObject final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!(iid == IID_IUnknown)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IUnknown*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++addRefs; }
    ULONG Release() override { return ++releases; }

    ULONG addRefs = 0;
    ULONG releases = 0;
};

// Counts every call; it hands out its one product object.
class CountingFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        ++queryInterfaces;
        bool known = iid == IID_IUnknown || (answersClassFactory && iid == IID_IClassFactory);
        if (!known) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++addRefs); }
    ULONG Release() override { return static_cast<ULONG>(++releases); }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        ++createInstances;
        if (outer != nullptr) {
            *object = nullptr;
            return CLASS_E_NOAGGREGATION;
        }
        return product.QueryInterface(iid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    int references() const { return addRefs - releases; }

    bool answersClassFactory = true;
    int addRefs = 0;
    int releases = 0;
    int queryInterfaces = 0;
    int createInstances = 0;
    CountingObject product;
};

// A new thread starts without COM.
template <typename Body>
void run_on_new_thread(Body body) {
    std::thread(body).join();
}

void* const kUntouched = reinterpret_cast<void*>(0x1);

// The test's own thread has COM for the test's duration.
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

    CountingFactory factory;
    DWORD cookie = 0;
};

TEST(ComIdentifiers, HaveWindowsValues) {
    const IID unknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const IID classFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    EXPECT_TRUE(IsEqualGUID(unknown, IID_IUnknown));
    EXPECT_TRUE(IsEqualGUID(classFactory, IID_IClassFactory));
}

TEST(CoInitialize, CountsCallsOnItsThread) {
    std::vector<HRESULT> results;
    run_on_new_thread([&] {
        // An unbalanced call must not take the count below zero.
        CoUninitialize();
        results.push_back(CoInitialize(nullptr));
        results.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        results.push_back(CoInitialize(nullptr));
        CoUninitialize();
        CoUninitialize();
        CoUninitialize();
        results.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoUninitialize();
    });
    EXPECT_EQ((std::vector<HRESULT>{S_OK, S_FALSE, S_FALSE, S_OK}), results);
}

TEST(CoInitialize, StartsAFreshCountOnAnotherThread) {
    HRESULT here = CoInitialize(nullptr);
    HRESULT there = E_FAIL;
    run_on_new_thread([&] {
        there = CoInitialize(nullptr);
        CoUninitialize();
    });
    CoUninitialize();
    EXPECT_TRUE(SUCCEEDED(here));
    EXPECT_EQ(S_OK, there);
}

TEST(CoInitialize, RejectsReservedPointerWithoutCounting) {
    int reserved = 0;
    std::vector<HRESULT> results;
    run_on_new_thread([&] {
        results.push_back(CoInitialize(&reserved));
        results.push_back(CoInitializeEx(&reserved, COINIT_MULTITHREADED));
        results.push_back(CoInitialize(nullptr));
        CoUninitialize();
    });
    EXPECT_EQ((std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, S_OK}), results);
}

TEST_F(ComTest, CreationFailsOnAThreadWithoutCom) {
    register_factory();
    HRESULT result = S_OK;
    void* object = kUntouched;
    run_on_new_thread(
        [&] { result = CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object); });
    EXPECT_EQ(CO_E_NOTINITIALIZED, result);
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, factory.createInstances);
}

TEST(CoCreateInstance, NullOutputWinsOverMissingCom) {
    HRESULT result = S_OK;
    run_on_new_thread([&] { result = CoCreateInstance(kFakeClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr); });
    EXPECT_EQ(E_POINTER, result);
}

TEST_F(ComTest, UnknownClassIsNotRegistered) {
    register_factory();
    void* object = kUntouched;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, factory.createInstances);
}

struct ContextCase {
    DWORD registered;
    DWORD requested;
    bool found;
};

class ClassObjectContext : public ComTest, public ::testing::WithParamInterface<ContextCase> {};

TEST_P(ClassObjectContext, IsFoundWhenContextsShareABit) {
    register_factory(GetParam().registered);
    void* object = kUntouched;
    HRESULT result = CoCreateInstance(kFakeClass, nullptr, GetParam().requested, IID_IUnknown, &object);
    if (GetParam().found) {
        EXPECT_EQ(S_OK, result);
        EXPECT_EQ(static_cast<IUnknown*>(&factory.product), object);
        EXPECT_EQ(1, factory.createInstances);
    } else {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, result);
        EXPECT_EQ(nullptr, object);
        EXPECT_EQ(0, factory.createInstances);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CoCreateInstance, ClassObjectContext,
    ::testing::Values(ContextCase{CLSCTX_INPROC_SERVER, CLSCTX_INPROC_SERVER, true},
                      ContextCase{CLSCTX_INPROC_SERVER, CLSCTX_ALL, true},
                      ContextCase{CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, true},
                      ContextCase{CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, CLSCTX_LOCAL_SERVER, true},
                      ContextCase{CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER, false},
                      ContextCase{CLSCTX_INPROC_HANDLER, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, false},
                      ContextCase{CLSCTX_ALL, 0, false}));

TEST_F(ComTest, RegistrationHoldsOneReferenceUntilRevoked) {
    register_factory();
    EXPECT_NE(0u, cookie);
    EXPECT_EQ(1, factory.references());

    void* object = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(1, factory.references());
    EXPECT_EQ(1u, factory.product.addRefs);
    EXPECT_EQ(1u, factory.product.releases);

    int releasesBefore = factory.releases;
    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
    EXPECT_EQ(releasesBefore + 1, factory.releases);
    EXPECT_EQ(0, factory.references());

    EXPECT_EQ(CO_E_OBJNOTREG, CoRevokeClassObject(cookie));
    EXPECT_EQ(releasesBefore + 1, factory.releases);
    object = kUntouched;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ComTest, RevokeWorksFromAThreadWithoutCom) {
    register_factory();
    HRESULT result = E_FAIL;
    run_on_new_thread([&] { result = CoRevokeClassObject(cookie); });
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(0, factory.references());
}

TEST(CoRegisterClassObject, ChecksArgumentsBeforeCom) {
    CountingFactory factory;
    std::vector<HRESULT> results;
    DWORD cookie = 7;
    run_on_new_thread([&] {
        results.push_back(CoRegisterClassObject(kFakeClass, nullptr, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &cookie));
        results.push_back(CoRegisterClassObject(kFakeClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, nullptr));
        results.push_back(CoRegisterClassObject(kFakeClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &cookie));
    });
    EXPECT_EQ((std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, CO_E_NOTINITIALIZED}), results);
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(0, factory.addRefs);
}

TEST_F(ComTest, CreationPassesTheFactoryResultThrough) {
    register_factory();
    CountingObject outer;
    void* object = kUntouched;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstance(kFakeClass, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    object = kUntouched;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, kOtherInterface, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(2, factory.createInstances);
    EXPECT_EQ(1, factory.references());
}

TEST_F(ComTest, ClassObjectWithoutClassFactoryCannotCreate) {
    factory.answersClassFactory = false;
    register_factory();
    void* object = kUntouched;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, factory.createInstances);
    EXPECT_EQ(1, factory.references());
}

TEST(CoRegisterComponentClass, RejectsNullFactory) {
    EXPECT_EQ(E_INVALIDARG, CoRegisterComponentClass(kFakeClass, nullptr));
}

TEST_F(ComTest, ComponentClassAnswersInProcessRequestsOnly) {
    CountingFactory component;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &component));
    EXPECT_EQ(0, component.references());

    void* object = kUntouched;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kFakeClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IUnknown*>(&component.product), object);
    EXPECT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
    EXPECT_EQ(2, component.createInstances);
    EXPECT_EQ(0, component.references());

    CoUnregisterComponentClass(kFakeClass);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kFakeClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
}

TEST_F(ComTest, RegisteredClassObjectComesBeforeComponentClass) {
    CountingFactory component;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &component));
    register_factory();

    void* object = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IUnknown*>(&factory.product), object);

    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
    EXPECT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IUnknown*>(&component.product), object);
}

TEST_F(ComTest, ComponentClassRegisteredAgainKeepsTheLaterFactory) {
    CountingFactory earlier;
    CountingFactory later;
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &earlier));
    ASSERT_EQ(S_OK, CoRegisterComponentClass(kFakeClass, &later));

    void* object = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IUnknown*>(&later.product), object);
    EXPECT_EQ(0, earlier.createInstances);

    CoUnregisterComponentClass(kFakeClass);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kFakeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
}

}  // namespace
