#pragma once

// COM: IUnknown, IClassFactory, per-thread initialisation and class lookup.

#include "platform/export.h"
#include "platform/wintypes.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr DWORD REGCLS_SINGLEUSE = 0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;
constexpr DWORD REGCLS_MULTI_SEPARATE = 2;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// No calling-convention keyword on POSIX; the vtable order is Windows'.
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

extern "C" {

WIN32_EXPORT extern const IID IID_IUnknown;
WIN32_EXPORT extern const IID IID_IClassFactory;

// A per-thread count: S_OK for the first call on a thread, S_FALSE after;
// E_INVALIDARG when reserved is not null. The flags are accepted and not
// kept. CoUninitialize on a thread without COM does nothing.
WIN32_EXPORT HRESULT CoInitialize(LPVOID reserved) noexcept;
WIN32_EXPORT HRESULT CoInitializeEx(LPVOID reserved, DWORD flags) noexcept;
WIN32_EXPORT void CoUninitialize() noexcept;

// Looks the class up among the class objects registered by the process
// (CoRegisterClassObject) whose context shares a bit with clsctx, then among
// the component classes, which answer only a request that names
// CLSCTX_INPROC_SERVER. Asks the class object for IClassFactory and returns
// what its CreateInstance returns. *object is null on every failure.
// E_POINTER for a null object (checked first), CO_E_NOTINITIALIZED on a
// thread without COM, REGDB_E_CLASSNOTREG for an unknown class.
WIN32_EXPORT HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsctx, REFIID iid,
                                      LPVOID* object) noexcept;
// Takes a reference on factory until CoRevokeClassObject. E_INVALIDARG for a
// null factory or cookie, then CO_E_NOTINITIALIZED on a thread without COM;
// *cookie is 0 on failure. The registration flags are accepted and not kept.
WIN32_EXPORT HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD clsctx, DWORD flags,
                                           LPDWORD cookie) noexcept;
// Releases the registration's reference, from any thread; CO_E_OBJNOTREG for
// a cookie that is not registered.
WIN32_EXPORT HRESULT CoRevokeClassObject(DWORD cookie) noexcept;

}  // extern "C"

// A component library's self-registration: what its registry entries would
// be on Windows. Called from the component's load-time initialisation; the
// factory must live as long as the component library is loaded, and no
// reference is taken on it. Registering a class again replaces its factory.
// Returns E_INVALIDARG for a null factory.
WIN32_EXPORT HRESULT CoRegisterComponentClass(REFCLSID clsid, IClassFactory* factory) noexcept;
WIN32_EXPORT void CoUnregisterComponentClass(REFCLSID clsid) noexcept;
