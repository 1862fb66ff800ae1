// The class object of the document server, registered with the platform's
// COM while the library is loaded, so that CoCreateInstance finds the class
// in any process that has loaded it.

#include <new>

#include "docserver/docserver.h"
#include "docserver/document_server.h"
#include "platform/com.h"

namespace docserver {

namespace {

// A static object: its references do not decide its lifetime.
class document_server_factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID iid, void** object) noexcept override {
        if (object == nullptr) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* server = new (std::nothrow) document_server;
        if (server == nullptr) return E_OUTOFMEMORY;
        HRESULT hr = server->QueryInterface(iid, object);
        server->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }
};

document_server_factory gFactory;

struct component_registration {
    component_registration() noexcept { (void)CoRegisterComponentClass(CLSID_DocumentServer, &gFactory); }
    ~component_registration() { CoUnregisterComponentClass(CLSID_DocumentServer); }
};

component_registration gRegistration;

}  // namespace

}  // namespace docserver
