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
};

TEST_F(DocumentServerMemory, FailsACallWhoseBstrCannotBeMadeAndClearsItsOutValue) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"1");
    set_text(root, u"t");
    unique_bstr value = make_bstr(u"junk"), name = make_bstr(u"A");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetXML(value.put(), 0), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(value);
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetText(root, value.put()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(value);
    FailOleAllocationsAfter(0);
    EXPECT_EQ(server->GetAttribute(root, name.get(), value.put()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_FALSE(value);
    EXPECT_EQ(xml(), u"<R A=\"1\">t</R>");
}

TEST_F(DocumentServerMemory, KeepsTheDocumentWhenAValueCannotBeStoredAndEmptiesItWhenALoadCannot) {
    const std::u16string huge(100000, u'x');
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"old");
    set_text(root, u"old");
    const unique_bstr big = make_bstr(huge), bigName = make_bstr(u"N" + huge),
                      text = make_bstr(u"<R>" + huge + u"</R>");
    gRefuseLargeBlocks = true;
    ULONG node = 77;
    EXPECT_EQ(server->CreateElement(root, &node, bigName.get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(node, 0u);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), big.get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"B").get(), big.get()), DOCSERVER_E_OUTOFMEMORY);
    EXPECT_EQ(server->SetText(root, big.get()), DOCSERVER_E_OUTOFMEMORY);
    gRefuseLargeBlocks = false;
    EXPECT_EQ(child_count(root), 0);
    EXPECT_EQ(xml(), u"<R A=\"old\">old</R>");
    gRefuseLargeBlocks = true;
    EXPECT_EQ(server->LoadXML(text.get()), DOCSERVER_E_OUTOFMEMORY);
    gRefuseLargeBlocks = false;
    EXPECT_EQ(xml(), u"");
}

}  // namespace
