// A component library as the project's own components are built: it
// registers its class when loaded and removes it when unloaded.

#include "tests/platform/test_component.h"

#include <atomic>
#include <new>

#include "platform/com.h"

namespace {

std::atomic<LONG> gLiveObjects{0};

class TestObject final : public IUnknown {
public:
    TestObject() noexcept { ++gLiveObjects; }

    HRESULT QueryInterface(REFIID iid, void** object) noexcept override {
        *object = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return ++references_; }
    ULONG Release() noexcept override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    ~TestObject() { --gLiveObjects; }

    std::atomic<ULONG> references_{1};
};

// A static object: its references do not decide its lifetime.
class TestFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID iid, void** object) noexcept override {
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override {
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* created = new (std::nothrow) TestObject;
        if (created == nullptr) return E_OUTOFMEMORY;
        HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }
};

TestFactory gFactory;

struct SelfRegistration {
    SelfRegistration() noexcept { (void)CoRegisterComponentClass(kTestComponentClass, &gFactory); }
    ~SelfRegistration() { CoUnregisterComponentClass(kTestComponentClass); }
};

SelfRegistration gRegistration;

}  // namespace

extern "C" {
WIN32_EXPORT extern const CLSID CLSID_TestComponent;
const CLSID CLSID_TestComponent = kTestComponentClass;

WIN32_EXPORT LONG TestComponentLiveObjects() noexcept { return gLiveObjects.load(); }
}
