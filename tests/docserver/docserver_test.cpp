// The document server as a COM object: creation, identity, reference
// counts, the reserved entries and the initialised state.

#include <gtest/gtest.h>

#include <ostream>
#include <thread>
#include <vector>

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

using DocumentServerIdentity = DocumentServerTest;

// The fixture holds the one reference that each step returns to; aggregation
// is refused.
TEST_F(DocumentServerIdentity, CountsReferencesAndAnswersOnlyItsOwnInterfaces) {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, server.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(server->AddRef(), 2u);
    EXPECT_EQ(server->AddRef(), 3u);
    EXPECT_EQ(server->Release(), 2u);
    EXPECT_EQ(server->Release(), 1u);
    for (const IID& iid : {IID_IUnknown, IID_IDocumentServer}) {
        ASSERT_EQ(server->QueryInterface(iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<void*>(server.get()));
        EXPECT_EQ(server->Release(), 1u);
    }
    for (const IID& iid : {IID_IClassFactory, CLSID_DocumentServer}) {
        object = &object;
        EXPECT_EQ(server->QueryInterface(iid, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
    object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
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

TEST(DocumentServerStatus, FailsNegative) {
    EXPECT_GE(DOCSERVER_S_OK, 0);
    for (HRESULT failure : {DOCSERVER_E_NOTINITIALIZED, DOCSERVER_E_BADHANDLE, DOCSERVER_E_NOTFOUND,
                            DOCSERVER_E_MALFORMED, DOCSERVER_E_DOCTYPE, DOCSERVER_E_INVALIDARG, DOCSERVER_E_OUTOFMEMORY,
                            DOCSERVER_E_SECONDROOT, DOCSERVER_E_UNEXPECTED}) {
        EXPECT_LT(failure, 0) << std::hex << failure;
    }
}

using DocumentServerInitialize = DocumentServerTest;

TEST_F(DocumentServerInitialize, IsNeededByAFreshServerAndUndoneByReset) {
    com_ptr<IDocumentServer> fresh;
    ASSERT_EQ(
        CoCreateInstance(CLSID_DocumentServer, nullptr, CLSCTX_INPROC_SERVER, IID_IDocumentServer, fresh.put_void()),
        S_OK);
    EXPECT_EQ(fresh->NewDocument(), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(fresh->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(fresh->Initialize(), DOCSERVER_S_OK);
    EXPECT_EQ(fresh->Initialize(), DOCSERVER_S_OK);
    EXPECT_EQ(fresh->NewDocument(), DOCSERVER_S_OK);
    EXPECT_EQ(fresh->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(fresh->NewDocument(), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(fresh->Reset(), DOCSERVER_S_OK);
}

// A null out pointer is still checked first; every other refusal clears the
// out value, and leaves the caller's BSTR to the caller.
TEST_F(DocumentServerInitialize, GuardsEveryOtherOperationAndClearsItsOutValue) {
    const ULONG root = create(0, u"R");
    ASSERT_EQ(server->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(server->GetChild(root, 0, nullptr), DOCSERVER_E_INVALIDARG);
    const HRESULT refused = DOCSERVER_E_NOTINITIALIZED;
    EXPECT_EQ(server->NewDocument(), refused);
    EXPECT_EQ(server->SetAttribute(root, nullptr, nullptr), refused);
    EXPECT_EQ(server->SetText(root, nullptr), refused);
    EXPECT_EQ(server->AppendIndent(root, 0), refused);
    EXPECT_EQ(server->LoadXML(nullptr), refused);
    EXPECT_EQ(create_status(0, nullptr), refused);
    EXPECT_EQ(find_status(root, 0, nullptr), refused);
    EXPECT_EQ(child_status(root, 0), refused);
    LONG count = 77;
    EXPECT_EQ(server->GetChildCount(root, &count), refused);
    EXPECT_EQ(count, 0);
    unique_bstr owned = make_bstr(u"untouched");
    BSTR texts[] = {owned.get(), owned.get(), owned.get()};
    EXPECT_EQ(server->GetXML(&texts[0], 0), refused);
    EXPECT_EQ(server->GetText(root, &texts[1]), refused);
    EXPECT_EQ(server->GetAttribute(root, nullptr, &texts[2]), refused);
    EXPECT_EQ(std::vector<BSTR>(texts, texts + 3), std::vector<BSTR>(3, nullptr));
}

}  // namespace
