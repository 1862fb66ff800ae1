// Running out of memory, injected through the platform's BSTR heap and
// through pugixml's allocation functions, fails the one call cleanly and
// leaves the document as it was.

#include <gtest/gtest.h>

#include <cstdlib>
#include <pugixml.hpp>
#include <string>

#include "platform/fault_injection.h"
#include "tests/docserver/server_fixture.h"

namespace {

bool gRefuseLargeBlocks = false;

// Small blocks go on working, so that only the call that needs a large
// string fails, as it would when memory runs short.
void* allocate_unless_large(std::size_t bytes) {
    if (gRefuseLargeBlocks && bytes >= 16 * 1024) return nullptr;
    return std::malloc(bytes);
}

class DocumentServerMemory : public DocumentServerTest {
protected:
    void SetUp() override {
        DocumentServerTest::SetUp();
        pugi::set_memory_management_functions(allocate_unless_large, std::free);
    }
    void TearDown() override {
        gRefuseLargeBlocks = false;
        FailOleAllocationsAfter(-1);
        DocumentServerTest::TearDown();
    }

    const std::u16string huge_ = std::u16string(100000, u'x');
};

TEST_F(DocumentServerMemory, FailsGetXmlWhenTheBstrCannotBeMade) {
    create(0, u"R");
    BSTR text = reinterpret_cast<BSTR>(&text);
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetXML(&text, 0), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(xml(), u"<R/>");
}

TEST_F(DocumentServerMemory, FailsGetTextAndGetAttributeWhenTheBstrCannotBeMade) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"1");
    set_text(root, u"t");
    unique_bstr value = make_bstr(u"junk");
    unique_bstr name = make_bstr(u"A");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetText(root, value.put()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(value);
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetAttribute(root, name.get(), value.put()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(value);
}

TEST_F(DocumentServerMemory, LeavesNoElementBehindWhenItsNameCannotBeStored) {
    ULONG root = create(0, u"R");
    gRefuseLargeBlocks = true;
    ULONG node = 77;
    EXPECT_EQ(server->CreateElement(root, &node, make_bstr(u"N" + huge_).get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(node, 0u);
    gRefuseLargeBlocks = false;
    EXPECT_EQ(child_count(root), 0);
    EXPECT_EQ(xml(), u"<R/>");
}

TEST_F(DocumentServerMemory, KeepsTheOldValuesWhenNewOnesCannotBeStored) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"old");
    set_text(root, u"old");
    gRefuseLargeBlocks = true;
    unique_bstr big = make_bstr(huge_);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), big.get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"B").get(), big.get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(server->SetText(root, big.get()), DOCSERVER_E_OUTOFMEMORY);
    gRefuseLargeBlocks = false;
    EXPECT_EQ(xml(), u"<R A=\"old\">old</R>");
}

TEST_F(DocumentServerMemory, LeavesAnEmptyDocumentWhenLoadingRunsOut) {
    create(0, u"Old");
    gRefuseLargeBlocks = true;
    EXPECT_EQ(load(u"<R>" + huge_ + u"</R>"), DOCSERVER_E_OUTOFMEMORY);
    gRefuseLargeBlocks = false;
    EXPECT_EQ(xml(), u"");
}

}  // namespace
