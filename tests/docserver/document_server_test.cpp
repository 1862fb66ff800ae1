// The document server as a COM object, building a document, finding its
// elements and the handles that name them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "tests/docserver/server_fixture.h"

namespace {

using DocumentServer = DocumentServerTest;
using enum Handing;

// The fixture holds the one reference that each step returns to.
TEST_F(DocumentServer, CountsReferencesAndAnswersOnlyItsOwnInterfaces) {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_DocumentServer, server.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(server->QueryInterface(IID_IDocumentServer, &object), S_OK);
    EXPECT_EQ(server->Release(), 1u);
    EXPECT_EQ(object, static_cast<void*>(server.get()));
    EXPECT_EQ(server->QueryInterface(IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(server->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

// Only the call whose BSTR cannot be made fails.
TEST_F(DocumentServer, FailsWithOutOfMemoryWhenItsResultCannotBeMade) {
    ULONG root = create(0, u"R");
    set(root, u"A", u"1");
    unique_bstr name = make_bstr(u"A");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetAttribute(root, name.get(), out.put()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(out);
    EXPECT_EQ(xml(), u"<R A=\"1\"/>");
}

TEST_F(DocumentServer, ReplacesAttributesInPlaceAndTextKeepsChildrenAndOneRootAndIndentsFromDepthZeroTo1024) {
    ULONG root = create(0, u"R");
    EXPECT_EQ(status(Create, 0, 0, u"S"), DOCSERVER_E_SECONDROOT);
    set(root, u"A", u"1");
    set(root, u"B", u"2");
    set(root, u"A", u"3");
    set_text(create(root, u"C"), u"");
    set_text(root, u"one");
    set_text(root, u"two");
    EXPECT_EQ(xml(), u"<R A=\"3\" B=\"2\"><C/>two</R>");
    EXPECT_EQ(server->AppendIndent(root, 0), DOCSERVER_S_OK);
    EXPECT_EQ(server->AppendIndent(root, 1024), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R A=\"3\" B=\"2\"><C/>two\n\n" + std::u16string(1024, u'\t') + u"</R>");
    EXPECT_EQ(server->AppendIndent(root, 1025), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->AppendIndent(root, -1), DOCSERVER_E_INVALIDARG);
}

// Text ends at its first NUL; a null BSTR is empty text, and no name.
TEST_F(DocumentServer, RefusesWhatXmlCannotCarryInNamesAndValues) {
    EXPECT_EQ(status(Create, 0, 0, nullptr), DOCSERVER_E_INVALIDARG);
    ULONG root = create(0, u"R");
    for (std::u16string name : {u"", u"1A", u"-A", u"A B", u"A<", u"A\"", u"A="}) {
        EXPECT_EQ(status(Create, root, 0, name.c_str()), DOCSERVER_E_INVALIDARG) << name.size();
        EXPECT_EQ(server->SetAttribute(root, make_bstr(name).get(), nullptr), DOCSERVER_E_INVALIDARG);
    }
    EXPECT_EQ(server->SetText(root, make_bstr(u"a\xD800-").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), make_bstr(u"\xDC00").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), nullptr), DOCSERVER_S_OK);
    set(create(root, u"_a-1.b:c"), u"\u00C4\u4E2D", std::u16string(u"x\0y", 3));
    set_text(root, std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(xml(), u"<R A=\"\"><_a-1.b:c \u00C4\u4E2D=\"x\"/>ab</R>");
}

// A null out pointer first, then initialisation (only Reset answers until
// Initialize), then the handle (never issued: 0 outside CreateElement and
// FindElement, past the last), then index, option, name. Every refusal
// clears the out value and leaves the caller's BSTR to the caller.
TEST_F(DocumentServer, ChecksArgumentsInAFixedOrder) {
    const ULONG root = create(0, u"R");
    EXPECT_EQ(server->CreateElement(root + 1, nullptr, nullptr), DOCSERVER_E_INVALIDARG);
    for (ULONG unknown : {0u, root + 1, 0xFFFFFFFFu})
        EXPECT_EQ(server->SetText(unknown, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(status(Find, root + 1, -1, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(status(Find, root, -1, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(status(Find, 0, 0, u""), DOCSERVER_E_INVALIDARG);
    out = make_bstr(u"junk");
    BSTR text = out.get();
    EXPECT_EQ(server->GetXML(&text, 2), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(text, nullptr);
    ASSERT_EQ(server->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(server->GetChild(root, 0, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(status(Create, 0, 0, nullptr), DOCSERVER_E_NOTINITIALIZED);
    LONG count = 77;
    EXPECT_EQ(server->GetChildCount(root, &count), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(count, 0);
    text = out.get();
    EXPECT_EQ(server->GetAttribute(root, nullptr, &text), DOCSERVER_E_NOTINITIALIZED);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(server->Initialize(), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"");
}

// Parent 0 is the root, which is never found by its own name. An element's
// text is its own text and CDATA joined, the whitespace between its children
// included, and nothing of theirs; attribute names compare exactly.
TEST_F(DocumentServer, FindsElementsByNameOrIndexBelowTheParentOnlyAndGivesTheirTextAndAttributes) {
    ASSERT_EQ(
        load(u"<D><R a='1'> <A I='0'/>t<![CDATA[<c>]]><B/><A I='1'/><!-- c --><?p i?><a/><A I='2'>x<A/></A></R></D>"),
        DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(text(r), u" t<c>");
    EXPECT_EQ(text(find(r, 2, u"A")), u"x");
    EXPECT_EQ(attribute(r, u"a"), u"1");
    EXPECT_EQ(server->GetAttribute(r, make_bstr(u"A").get(), out.put()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(attribute(find(r, 2, u"A"), u"I"), u"2");
    EXPECT_EQ(attribute(find(r, 0, u"A"), u"I"), u"0");
    EXPECT_EQ(status(Find, r, 3, u"A"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(status(Find, 0, 0, u"D"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_count(r), 5);
    EXPECT_EQ(child(r, 4), find(r, 2, u"A"));
    EXPECT_EQ(child(r, 1), find(r, 0, u"B"));
    EXPECT_EQ(status(Child, r, 5, nullptr), DOCSERVER_E_NOTFOUND);
}

// Lookups in any order, forwards and back, by index and by either name, with
// lookups below other parents in between, must give what a plain search
// gives, and see what is appended after them.
TEST_F(DocumentServer, FindsTheRightChildInAnyOrderOfCalls) {
    ULONG root = create(0, u"R");
    std::vector<ULONG> all, named[2];
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(server->AppendIndent(root, 1), DOCSERVER_S_OK);
        all.push_back(create(root, i % 2 == 0 ? u"E" : u"O"));
        create(all.back(), u"X");
        named[i % 2].push_back(all.back());
    }
    for (LONG i : {0, 19, 1, 18, 10, 9, 11, 5, 5, 0, 19, 15, 3, 2}) {
        EXPECT_EQ(child(root, i), all[i]) << i;
        EXPECT_NE(child(all[i], 0), 0u);
        EXPECT_EQ(find(root, i / 2, i % 2 == 0 ? u"E" : u"O"), named[i % 2][i / 2]) << i;
    }
    // A lookup or count made before an append must not keep what it found.
    EXPECT_EQ(status(Child, root, 20, nullptr), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(status(Find, root, 10, u"E"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_count(root), 20);
    ULONG appended = create(root, u"E");
    EXPECT_EQ(child(root, 20), appended);
    EXPECT_EQ(find(root, 10, u"E"), appended);
    EXPECT_EQ(child_count(root), 21);
}

// NewDocument makes the handles stale; LoadXML discards the document the
// same way (the refused texts show it); new handles never reuse old ones.
TEST_F(DocumentServer, HandlesGoStaleWhenTheDocumentIsReplacedAndAreNotReused) {
    const ULONG root = create(0, u"R"), a = create(root, u"A");
    ASSERT_EQ(server->NewDocument(), DOCSERVER_S_OK);
    for (ULONG stale : {root, a}) {
        EXPECT_EQ(status(Find, stale, 0, u"A"), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->GetText(stale, out.put()), DOCSERVER_E_BADHANDLE);
    }
    ASSERT_EQ(load(u"<R><A/><A/><A/></R>"), DOCSERVER_S_OK);
    for (LONG i = 0; i < 3; ++i) EXPECT_TRUE(find(0, i, u"A") != root && find(0, i, u"A") != a) << i;
}

}  // namespace
