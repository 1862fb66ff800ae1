#include "tests/support/scripted_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "docserver/docserver.h"
#include "platform/com_ptr.h"

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
    ScriptedServer(ServerScript& script, IDocumentServer* inner) : script_(script), inner_(inner) { ++script_.created; }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDocumentServer ? static_cast<IDocumentServer*>(this) : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ++script_.release;
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    HRESULT Reserved3() override { return E_NOTIMPL; }
    HRESULT Reserved4() override { return E_NOTIMPL; }
    HRESULT Reserved5() override { return E_NOTIMPL; }

    HRESULT Initialize() override { return call("Initialize", &IDocumentServer::Initialize); }
    HRESULT Reset() override { return call("Reset", &IDocumentServer::Reset); }
    HRESULT NewDocument() override { return call("NewDocument", &IDocumentServer::NewDocument); }
    HRESULT GetXML(BSTR* text, LONG option) override {
        script_.lastOption = option;
        if (!inner_) *text = SysAllocString(u"<TORVALE_CODEPLUG/>");
        const HRESULT status = call("GetXML", &IDocumentServer::GetXML, text, option);
        return inner_ || status != DOCSERVER_S_OK ? status : script_.getXmlStatus;
    }
    HRESULT CreateElement(ULONG parent, ULONG* node, BSTR name) override {
        return call("CreateElement", &IDocumentServer::CreateElement, parent, node, name);
    }
    HRESULT SetAttribute(ULONG node, BSTR name, BSTR value) override {
        return call("SetAttribute", &IDocumentServer::SetAttribute, node, name, value);
    }
    HRESULT SetText(ULONG node, BSTR text) override { return call("SetText", &IDocumentServer::SetText, node, text); }
    HRESULT AppendIndent(ULONG node, LONG depth) override {
        return call("AppendIndent", &IDocumentServer::AppendIndent, node, depth);
    }
    HRESULT LoadXML(BSTR text) override { return call("LoadXML", &IDocumentServer::LoadXML, text); }
    HRESULT FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) override {
        return call("FindElement", &IDocumentServer::FindElement, parent, index, node, name);
    }
    HRESULT GetChildCount(ULONG node, LONG* count) override {
        return call("GetChildCount", &IDocumentServer::GetChildCount, node, count);
    }
    HRESULT GetChild(ULONG node, LONG index, ULONG* child) override {
        return call("GetChild", &IDocumentServer::GetChild, node, index, child);
    }
    HRESULT GetText(ULONG node, BSTR* text) override { return call("GetText", &IDocumentServer::GetText, node, text); }
    HRESULT GetAttribute(ULONG node, BSTR name, BSTR* value) override {
        return call("GetAttribute", &IDocumentServer::GetAttribute, node, name, value);
    }

private:
    ~ScriptedServer() = default;

    // Records the call, then throws or fails it as scripted, or forwards it,
    // or succeeds when nothing stands behind.
    template <typename... Params, typename... Args>
    HRESULT call(std::string_view operation, HRESULT (IDocumentServer::*method)(Params...), Args... args) {
        script_.calls.emplace_back(operation);
        if (script_.resetThrows && operation == "Reset") throw std::runtime_error("reset refused");
        if (script_.failOperation == operation && script_.count(script_.failOperation) == script_.failOnCall)
            return script_.failStatus;
        return inner_ ? (inner_.get()->*method)(args...) : DOCSERVER_S_OK;
    }

    ServerScript& script_;
    com_ptr<IDocumentServer> inner_;
    ULONG references_ = 1;
};

}  // namespace

struct ScriptedServerRegistration::Factory final : IClassFactory {
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (!(iid == IID_IUnknown || iid == IID_IDocumentServer)) return E_NOINTERFACE;
        if (behind == Behind::BuiltInServer && !spare) return REGDB_E_CLASSNOTREG;
        *object = static_cast<IDocumentServer*>(new ScriptedServer(*script, spare.release()));
        return S_OK;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    ServerScript* script;
    Behind behind;
    com_ptr<IDocumentServer> spare;  // the built-in server, made before the stand-in is registered
    ULONG references = 1;
};

ScriptedServerRegistration::ScriptedServerRegistration(ServerScript& script, Behind behind) : factory_(new Factory) {
    factory_->script = &script;
    factory_->behind = behind;
    if (behind == Behind::BuiltInServer) {
        EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer,
                                   factory_->spare.put_void()),
                  S_OK);
    }
    EXPECT_EQ(CoRegisterClassObject(CLSID_DocumentServer, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
}

ScriptedServerRegistration::~ScriptedServerRegistration() {
    EXPECT_EQ(CoRevokeClassObject(cookie_), S_OK);
    EXPECT_EQ(factory_->references, 1u) << "the class object was not released as often as it was held";
    delete factory_;
}
