#include "tests/support/stand_in_server.h"

#include <gtest/gtest.h>

#include "docserver/docserver.h"

HRESULT StandInServer::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IDocumentServer) {
        *object = static_cast<IDocumentServer*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG StandInServer::Release() {
    released();
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

struct StandInServerRegistration::Factory final : IClassFactory {
    explicit Factory(std::function<IDocumentServer*()> make) : make(std::move(make)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (!(iid == IID_IUnknown || iid == IID_IDocumentServer)) return E_NOINTERFACE;
        *object = make();
        return *object != nullptr ? S_OK : REGDB_E_CLASSNOTREG;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    std::function<IDocumentServer*()> make;
    ULONG references = 1;
};

StandInServerRegistration::StandInServerRegistration(std::function<IDocumentServer*()> make)
    : factory_(new Factory(std::move(make))) {
    EXPECT_EQ(CoRegisterClassObject(CLSID_DocumentServer, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie_),
              S_OK);
}

StandInServerRegistration::~StandInServerRegistration() {
    EXPECT_EQ(CoRevokeClassObject(cookie_), S_OK);
    EXPECT_EQ(factory_->references, 1u) << "the class object was not released as often as it was held";
    delete factory_;
}
