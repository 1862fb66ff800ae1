#include "tests/support/counting_server.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "docserver/docserver.h"

namespace {

class CountingServer final : public IDocumentServer {
public:
    explicit CountingServer(ServerCalls& calls) : calls_(calls) { ++calls_.created; }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDocumentServer) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ++calls_.release;
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    HRESULT Reserved3() override { return E_NOTIMPL; }
    HRESULT Reserved4() override { return E_NOTIMPL; }
    HRESULT Initialize() override { return kOk; }
    HRESULT Reset() override {
        ++calls_.reset;
        if (calls_.resetThrows) throw std::runtime_error("reset refused");
        return kOk;
    }
    HRESULT NewDocument() override { return kOk; }
    HRESULT GetXML(BSTR* text, LONG option) override {
        ++calls_.getXml;
        calls_.lastOption = option;
        *text = SysAllocStringLen(calls_.xmlText.data(), static_cast<UINT>(calls_.xmlText.size()));
        return calls_.getXmlStatus;
    }
    HRESULT CreateElement(ULONG, ULONG*, BSTR) override { return E_NOTIMPL; }
    HRESULT SetAttribute(ULONG, BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT SetText(ULONG, BSTR) override { return E_NOTIMPL; }
    HRESULT AppendIndent(ULONG, LONG) override { return E_NOTIMPL; }
    HRESULT LoadXML(BSTR) override { return E_NOTIMPL; }
    HRESULT FindElement(ULONG, LONG, ULONG*, BSTR) override { return E_NOTIMPL; }
    HRESULT GetChildCount(ULONG, LONG*) override { return E_NOTIMPL; }
    HRESULT GetChild(ULONG, LONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    HRESULT GetText(ULONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT GetAttribute(ULONG, BSTR, BSTR*) override { return E_NOTIMPL; }

private:
    static constexpr HRESULT kOk = 0x00040400;
    ServerCalls& calls_;
    ULONG references_ = 1;
};

}  // namespace

struct CountingServerRegistration::Factory final : IClassFactory {
    explicit Factory(ServerCalls& calls) : calls(calls) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = this;
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
        *object = static_cast<IDocumentServer*>(new CountingServer(calls));
        return S_OK;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    ServerCalls& calls;
    ULONG references = 1;
};

CountingServerRegistration::CountingServerRegistration(ServerCalls& calls) : factory_(new Factory(calls)) {
    EXPECT_EQ(CoRegisterClassObject(CLSID_DocumentServer, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie_),
              S_OK);
}

CountingServerRegistration::~CountingServerRegistration() {
    EXPECT_EQ(CoRevokeClassObject(cookie_), S_OK);
    EXPECT_EQ(factory_->references, 1u) << "the class object was not released as often as it was held";
    delete factory_;
}
