#include "platform/com.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/exception_status.h"

extern "C" {
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

namespace {

thread_local ULONG tInitialisations = 0;

struct RegisteredClassObject {
    DWORD cookie;
    CLSID clsid;
    DWORD clsctx;
    IUnknown* classObject;  // holds the reference taken at registration
};

struct ComponentClass {
    CLSID clsid;
    IClassFactory* factory;  // lives as long as its component library
};

struct ClassTable {
    std::mutex mutex;
    std::vector<RegisteredClassObject> registered;
    std::vector<ComponentClass> components;
    DWORD lastCookie = 0;
};

// Never destroyed: a component library unregisters from its unload, which at
// process exit can run after this library's static destructors.
ClassTable& classes() {
    static ClassTable& table = *new ClassTable;
    return table;
}

// Returns the class object with a reference of its own, so that it stays
// valid while the table lock is not held; null for an unknown class.
com_ptr<IUnknown> find_class_object(REFCLSID clsid, DWORD clsctx) {
    ClassTable& table = classes();
    std::lock_guard lock(table.mutex);
    for (const RegisteredClassObject& entry : table.registered) {
        if (entry.clsid == clsid && (entry.clsctx & clsctx) != 0) {
            entry.classObject->AddRef();
            return com_ptr<IUnknown>(entry.classObject);
        }
    }
    // A component library is an in-process server, as its InprocServer32
    // registry key would say on Windows.
    if ((clsctx & CLSCTX_INPROC_SERVER) == 0) return {};
    for (const ComponentClass& entry : table.components) {
        if (entry.clsid == clsid) {
            entry.factory->AddRef();
            return com_ptr<IUnknown>(entry.factory);
        }
    }
    return {};
}

// An exception from the tables (std::bad_alloc) or the lock
// (std::system_error) as a status.
template <typename Body>
HRESULT status_of(Body&& body) noexcept {
    return status_of_call(std::forward<Body>(body), E_OUTOFMEMORY, E_UNEXPECTED);
}

}  // namespace

HRESULT CoInitialize(LPVOID reserved) noexcept { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(LPVOID reserved, DWORD) noexcept {
    if (reserved != nullptr) return E_INVALIDARG;
    return tInitialisations++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() noexcept {
    if (tInitialisations > 0) --tInitialisations;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsctx, REFIID iid, LPVOID* object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (tInitialisations == 0) return CO_E_NOTINITIALIZED;

    com_ptr<IUnknown> classObject;
    if (HRESULT hr = status_of([&] {
            classObject = find_class_object(clsid, clsctx);
            return classObject ? S_OK : REGDB_E_CLASSNOTREG;
        });
        FAILED(hr))
        return hr;

    com_ptr<IClassFactory> factory;
    if (HRESULT hr = classObject->QueryInterface(IID_IClassFactory, factory.put_void()); FAILED(hr)) return hr;
    if (!factory) return E_NOINTERFACE;
    HRESULT hr = factory->CreateInstance(outer, iid, object);
    if (FAILED(hr)) *object = nullptr;
    return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD clsctx, DWORD, LPDWORD cookie) noexcept {
    if (factory == nullptr || cookie == nullptr) return E_INVALIDARG;
    *cookie = 0;
    if (tInitialisations == 0) return CO_E_NOTINITIALIZED;

    // The registration flags only matter to out-of-process servers; every
    // registration here serves any number of creations.
    factory->AddRef();
    com_ptr<IUnknown> reference(factory);
    return status_of([&] {
        ClassTable& table = classes();
        std::lock_guard lock(table.mutex);
        DWORD next = table.lastCookie + 1;
        if (next == 0) next = 1;
        table.registered.push_back({next, clsid, clsctx, factory});
        table.lastCookie = next;
        *cookie = next;
        reference.release();
        return S_OK;
    });
}

HRESULT CoRevokeClassObject(DWORD cookie) noexcept {
    // Released once the lock is gone: the last Release may run any code.
    com_ptr<IUnknown> released;
    return status_of([&] {
        ClassTable& table = classes();
        std::lock_guard lock(table.mutex);
        auto found = std::find_if(table.registered.begin(), table.registered.end(),
                                  [cookie](const RegisteredClassObject& entry) { return entry.cookie == cookie; });
        if (found == table.registered.end()) return CO_E_OBJNOTREG;
        released.reset(found->classObject);
        table.registered.erase(found);
        return S_OK;
    });
}

HRESULT CoRegisterComponentClass(REFCLSID clsid, IClassFactory* factory) noexcept {
    if (factory == nullptr) return E_INVALIDARG;
    return status_of([&] {
        ClassTable& table = classes();
        std::lock_guard lock(table.mutex);
        // As with a registry key written twice, the later registration wins.
        auto found = std::find_if(table.components.begin(), table.components.end(),
                                  [&clsid](const ComponentClass& entry) { return entry.clsid == clsid; });
        if (found != table.components.end())
            found->factory = factory;
        else
            table.components.push_back({clsid, factory});
        return S_OK;
    });
}

void CoUnregisterComponentClass(REFCLSID clsid) noexcept {
    ClassTable& table = classes();
    std::lock_guard lock(table.mutex);
    std::erase_if(table.components, [&clsid](const ComponentClass& entry) { return entry.clsid == clsid; });
}
