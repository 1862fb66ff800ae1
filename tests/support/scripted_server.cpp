#include "tests/support/scripted_server.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "docserver/docserver.h"

int ServerScript::count(const std::string& operation) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), operation));
}

std::vector<std::string> ServerScript::callsAfterFailure() const {
    int seen = 0;
    for (std::size_t at = 0; at < calls.size(); ++at)
        if (calls[at] == failOperation && ++seen == failOnCall) return {calls.begin() + at + 1, calls.end()};
    return {};
}

namespace {

class ScriptedServer final : public IDocumentServer {
public:
    ScriptedServer(ServerScript& script, IDocumentServer* inner) : script_(script), inner_(inner) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDocumentServer) {
            *object = static_cast<IDocumentServer*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    HRESULT Reserved3() override { return E_NOTIMPL; }
    HRESULT Reserved4() override { return E_NOTIMPL; }
    HRESULT Initialize() override { return call("Initialize", [&] { return inner_->Initialize(); }); }
    HRESULT Reset() override { return call("Reset", [&] { return inner_->Reset(); }); }
    HRESULT NewDocument() override { return call("NewDocument", [&] { return inner_->NewDocument(); }); }
    HRESULT GetXML(BSTR* text, LONG option) override {
        return call("GetXML", [&] { return inner_->GetXML(text, option); });
    }
    HRESULT CreateElement(ULONG parent, ULONG* node, BSTR name) override {
        return call("CreateElement", [&] { return inner_->CreateElement(parent, node, name); });
    }
    HRESULT SetAttribute(ULONG node, BSTR name, BSTR value) override {
        return call("SetAttribute", [&] { return inner_->SetAttribute(node, name, value); });
    }
    HRESULT SetText(ULONG node, BSTR text) override {
        return call("SetText", [&] { return inner_->SetText(node, text); });
    }
    HRESULT AppendIndent(ULONG node, LONG depth) override {
        return call("AppendIndent", [&] { return inner_->AppendIndent(node, depth); });
    }
    HRESULT LoadXML(BSTR text) override { return call("LoadXML", [&] { return inner_->LoadXML(text); }); }
    HRESULT FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) override {
        return call("FindElement", [&] { return inner_->FindElement(parent, index, node, name); });
    }
    HRESULT GetChildCount(ULONG node, LONG* count) override {
        return call("GetChildCount", [&] { return inner_->GetChildCount(node, count); });
    }
    HRESULT GetChild(ULONG node, LONG index, ULONG* child) override {
        return call("GetChild", [&] { return inner_->GetChild(node, index, child); });
    }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    HRESULT GetText(ULONG node, BSTR* text) override {
        return call("GetText", [&] { return inner_->GetText(node, text); });
    }
    HRESULT GetAttribute(ULONG node, BSTR name, BSTR* value) override {
        return call("GetAttribute", [&] { return inner_->GetAttribute(node, name, value); });
    }

private:
    template <typename Forward>
    HRESULT call(const char* operation, Forward forward) {
        script_.calls.emplace_back(operation);
        if (script_.failOperation == operation && script_.count(operation) == script_.failOnCall)
            return script_.failStatus;
        return forward();
    }

    ServerScript& script_;
    com_ptr<IDocumentServer> inner_;
    ULONG references_ = 1;
};

}  // namespace

struct ScriptedServerRegistration::Factory final : IClassFactory {
    explicit Factory(ServerScript& script) : script(script) {}

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
        if (!spare) return REGDB_E_CLASSNOTREG;
        *object = static_cast<IDocumentServer*>(new ScriptedServer(script, spare.release()));
        return S_OK;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    ServerScript& script;
    com_ptr<IDocumentServer> spare;  // a built-in server made before this one stood in for it
    ULONG references = 1;
};

ScriptedServerRegistration::ScriptedServerRegistration(ServerScript& script) : factory_(new Factory(script)) {
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer,
                               factory_->spare.put_void()),
              S_OK);
    EXPECT_EQ(CoRegisterClassObject(CLSID_DocumentServer, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie_),
              S_OK);
}

ScriptedServerRegistration::~ScriptedServerRegistration() {
    EXPECT_EQ(CoRevokeClassObject(cookie_), S_OK);
    delete factory_;
}
