// The document server as a COM object: creation, identity, reference
// counts, the reserved entries and the initialised state.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "tests/docserver/server_fixture.h"

namespace {

TEST(DocumentServerCreation, NeedsComOnTheThread) {
    void* object = &object;
    HRESULT hr = S_OK;
    std::thread([&] {
        hr = CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer, &object);
    }).join();
    EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
}

TEST(DocumentServerCreation, WorksOnceComIsInitialised) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    com_ptr<IDocumentServer> server;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                               IID_IDocumentServer, server.put_void()),
              S_OK);
    ASSERT_TRUE(server);
    EXPECT_EQ(server->Initialize(), DOCSERVER_S_OK);
    server.reset();
    CoUninitialize();
}

TEST(DocumentServerCreation, RefusesAggregation) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    com_ptr<IUnknown> outer;
    ASSERT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, outer.put_void()),
              S_OK);
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    outer.reset();
    CoUninitialize();
}

TEST(DocumentServerCreation, RefusesAnInterfaceItDoesNotHave) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    CoUninitialize();
}

using DocumentServerIdentity = DocumentServerTest;

TEST_F(DocumentServerIdentity, CountsReferencesFromOne) {
    EXPECT_EQ(server->AddRef(), 2u);
    EXPECT_EQ(server->AddRef(), 3u);
    EXPECT_EQ(server->Release(), 2u);
    EXPECT_EQ(server->Release(), 1u);
}

TEST_F(DocumentServerIdentity, AnswersIUnknownAndItsOwnInterfaceWithAReference) {
    for (const IID& iid : {IID_IUnknown, IID_IDocumentServer}) {
        void* object = nullptr;
        ASSERT_EQ(server->QueryInterface(iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<void*>(server.get()));
        EXPECT_EQ(server->Release(), 1u);
    }
}

TEST_F(DocumentServerIdentity, RefusesOtherInterfacesWithoutAReference) {
    void* object = &object;
    EXPECT_EQ(server->QueryInterface(IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(server->QueryInterface(CLSID_DocumentServer, &object), E_NOINTERFACE);
    EXPECT_EQ(server->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(server->AddRef(), 2u);
    EXPECT_EQ(server->Release(), 1u);
}

TEST_F(DocumentServerIdentity, AnswersTheReservedEntriesWithNotImplemented) {
    EXPECT_EQ(server->Reserved1(), E_NOTIMPL);
    EXPECT_EQ(server->Reserved2(), E_NOTIMPL);
    EXPECT_EQ(server->Reserved3(), E_NOTIMPL);
    EXPECT_EQ(server->Reserved4(), E_NOTIMPL);
    EXPECT_EQ(server->Reserved5(), E_NOTIMPL);
}

TEST(DocumentServerStatus, SucceedsExactlyOnTheLowWordAndFailsNegative) {
    EXPECT_TRUE(IsServerSuccess(DOCSERVER_S_OK));
    for (HRESULT failure : {DOCSERVER_E_NOTINITIALIZED, DOCSERVER_E_BADHANDLE, DOCSERVER_E_NOTFOUND,
                            DOCSERVER_E_MALFORMED, DOCSERVER_E_DOCTYPE, DOCSERVER_E_INVALIDARG, DOCSERVER_E_OUTOFMEMORY,
                            DOCSERVER_E_SECONDROOT, DOCSERVER_E_UNEXPECTED}) {
        EXPECT_FALSE(IsServerSuccess(failure)) << std::hex << failure;
        EXPECT_LT(failure, 0) << std::hex << failure;
    }
}

TEST(DocumentServerInitialize, IsNeededByAFreshServerAndUndoneByReset) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    com_ptr<IDocumentServer> server;
    ASSERT_EQ(
        CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer, server.put_void()),
        S_OK);
    EXPECT_EQ(server->NewDocument(), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(server->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(server->Initialize(), DOCSERVER_S_OK);
    EXPECT_EQ(server->Initialize(), DOCSERVER_S_OK);
    EXPECT_EQ(server->NewDocument(), DOCSERVER_S_OK);
    EXPECT_EQ(server->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(server->NewDocument(), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(server->Reset(), DOCSERVER_S_OK);
    server.reset();
    CoUninitialize();
}

// Every operation that needs Initialize, and which out value it clears.
struct GuardedCall {
    const char* name;
    std::function<HRESULT(IDocumentServer&, ULONG node, ULONG*, BSTR*, LONG*)> call;
    friend void PrintTo(const GuardedCall& call, std::ostream* out) { *out << call.name; }
};

class DocumentServerBeforeInitialize : public DocumentServerTest, public ::testing::WithParamInterface<GuardedCall> {};

TEST_P(DocumentServerBeforeInitialize, FailsAndClearsItsOutValue) {
    ULONG root = create(0, u"R");
    ASSERT_EQ(server->Reset(), DOCSERVER_S_OK);
    unique_bstr owned = make_bstr(u"untouched");
    ULONG handle = 77;
    BSTR text = owned.get();
    LONG count = 77;
    EXPECT_EQ(GetParam().call(*server.get(), root, &handle, &text, &count), DOCSERVER_E_NOTINITIALIZED);
    std::string name = GetParam().name;
    EXPECT_EQ(handle, name == "CreateElement" || name == "FindElement" || name == "GetChild" ? 0u : 77u);
    EXPECT_EQ(text, name == "GetXML" || name == "GetText" || name == "GetAttribute" ? nullptr : owned.get());
    EXPECT_EQ(count, name == "GetChildCount" ? 0 : 77);
}

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, DocumentServerBeforeInitialize,
    ::testing::Values(
        GuardedCall{"NewDocument", [](IDocumentServer& s, ULONG, ULONG*, BSTR*, LONG*) { return s.NewDocument(); }},
        GuardedCall{"GetXML", [](IDocumentServer& s, ULONG, ULONG*, BSTR* t, LONG*) { return s.GetXML(t, 0); }},
        GuardedCall{"CreateElement",
                    [](IDocumentServer& s, ULONG, ULONG* h, BSTR*, LONG*) { return s.CreateElement(0, h, nullptr); }},
        GuardedCall{"SetAttribute", [](IDocumentServer& s, ULONG n, ULONG*, BSTR*,
                                       LONG*) { return s.SetAttribute(n, nullptr, nullptr); }},
        GuardedCall{"SetText", [](IDocumentServer& s, ULONG n, ULONG*, BSTR*, LONG*) { return s.SetText(n, nullptr); }},
        GuardedCall{"AppendIndent",
                    [](IDocumentServer& s, ULONG n, ULONG*, BSTR*, LONG*) { return s.AppendIndent(n, 0); }},
        GuardedCall{"LoadXML", [](IDocumentServer& s, ULONG, ULONG*, BSTR*, LONG*) { return s.LoadXML(nullptr); }},
        GuardedCall{"FindElement", [](IDocumentServer& s, ULONG n, ULONG* h, BSTR*,
                                      LONG*) { return s.FindElement(n, 0, h, nullptr); }},
        GuardedCall{"GetChildCount",
                    [](IDocumentServer& s, ULONG n, ULONG*, BSTR*, LONG* c) { return s.GetChildCount(n, c); }},
        GuardedCall{"GetChild",
                    [](IDocumentServer& s, ULONG n, ULONG* h, BSTR*, LONG*) { return s.GetChild(n, 0, h); }},
        GuardedCall{"GetText", [](IDocumentServer& s, ULONG n, ULONG*, BSTR* t, LONG*) { return s.GetText(n, t); }},
        GuardedCall{"GetAttribute",
                    [](IDocumentServer& s, ULONG n, ULONG*, BSTR* t, LONG*) { return s.GetAttribute(n, nullptr, t); }}),
    [](const ::testing::TestParamInfo<GuardedCall>& info) { return std::string(info.param.name); });

}  // namespace
