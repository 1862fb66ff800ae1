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

com_ptr<IDocumentServer> make_built_in_server() {
    com_ptr<IDocumentServer> server;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer,
                               server.put_void()),
              S_OK);
    return server;
}

class ScriptedServer final : public StandInServer {
public:
    ScriptedServer(ServerScript& script, IDocumentServer* inner) : script_(script), inner_(inner) {}

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
};

}  // namespace

// The stand-in wraps a built-in server made before it stood in for that one.
ScriptedServerRegistration::ScriptedServerRegistration(ServerScript& script)
    : spare_(make_built_in_server()),
      registration_([this, &script]() -> IDocumentServer* {
          return spare_ ? new ScriptedServer(script, spare_.release()) : nullptr;
      }) {}
