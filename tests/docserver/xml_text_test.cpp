// The document as text: what GetXML writes, what LoadXML accepts, and the
// values that must survive the trip through both.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/ansi.h"
#include "platform/codepage.h"
#include "tests/docserver/server_fixture.h"

namespace {

// The suite runs on code page 1252, and goes back to it.
class DocumentServerXml : public DocumentServerTest {
    void TearDown() override { SetAnsiCodePageForTesting(1252); }
};

// Option 1 declares the ANSI code page, even for an empty document; option 0,
// which the other tests use, writes no declaration.
TEST_F(DocumentServerXml, DeclaresTheAnsiCodePageForOptionOne) {
    const std::pair<UINT, std::u16string> pages[] = {
        {1250, u"windows-1250"}, {932, u"Shift_JIS"}, {936, u"GBK"}, {949, u"EUC-KR"}, {950, u"Big5"}};
    for (const auto& [page, encoding] : pages) {
        ASSERT_TRUE(SetAnsiCodePageForTesting(page));
        EXPECT_EQ(xml(1), u"<?xml version=\"1.0\" encoding=\"" + encoding + u"\"?>\n") << page;
    }
    create(0, u"R");
    EXPECT_EQ(xml(1), u"<?xml version=\"1.0\" encoding=\"Big5\"?>\n<R/>");
}

TEST_F(DocumentServerXml, EscapesMarkupAndControlsAndWritesOtherCharactersAsTheyAre) {
    ULONG root = create(0, u"R");
    set(root, u"A", u"<&>\"'\t\n\r\x01");
    set_text(root, u"<&>\"'\t\n\r\x01\x1F\u00E9\u20AC\u4E2D\U0001F600");
    EXPECT_EQ(xml(),
              u"<R A=\"&lt;&amp;>&quot;'&#09;&#10;&#13;&#01;\">&lt;&amp;&gt;\"'\t\n\r&#01;&#31;"
              u"\u00E9\u20AC\u4E2D\U0001F600</R>");
}

// What GetXML writes LoadXML reads back the same: characters 1 to 255, a
// lone CR, markup, the end of a CDATA section, spaces only, nothing, a
// character beyond the BMP and the noncharacters.
TEST_F(DocumentServerXml, ReadsBackWhatItWroteInTextAndAttributes) {
    std::u16string latin1;
    for (char16_t c = 1; c <= 0xFF; ++c) latin1.push_back(c);
    for (std::u16string value : {latin1, std::u16string(u"a\r\nb\r"), std::u16string(u"<a>&amp;</a>&#65;]]>"),
                                 std::u16string(u"  "), std::u16string(), std::u16string(u"\U0001F600\uFFFE\uFFFF")}) {
        ULONG field = create(create(0, u"R"), u"F");
        set(field, u"V", value);
        set_text(field, value);
        const std::u16string written = xml();
        ASSERT_EQ(load(written), DOCSERVER_S_OK);
        EXPECT_EQ(text(find(0, 0, u"F")), value);
        EXPECT_EQ(attribute(find(0, 0, u"F"), u"V"), value);
        EXPECT_EQ(xml(), written);
        ASSERT_EQ(server->NewDocument(), DOCSERVER_S_OK);
    }
}

// The text is UTF-16 whatever its declaration says; what stands around the
// root goes, what stands inside it stays as it was, unknown entities too.
TEST_F(DocumentServerXml, LoadsTheRootAndAllWithinItAsItStands) {
    create(0, u"Old");
    ASSERT_EQ(
        load(u"\uFEFF<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<!-- c -->\n<R V=\"1\">\n\t<A a=\"&bar;\">"
             u"&foo;&lt;\u20AC</A>\n</R>\n<?p?>\n"),
        DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R V=\"1\">\n\t<A a=\"&amp;bar;\">&amp;foo;&lt;\u20AC</A>\n</R>");
    EXPECT_EQ(text(find(0, 0, u"A")), u"&foo;<\u20AC");
    EXPECT_EQ(attribute(find(0, 0, u"A"), u"a"), u"&bar;");
    EXPECT_EQ(server->LoadXML(nullptr), DOCSERVER_E_MALFORMED);
}

// A document type declaration is refused outright, so that no entity is
// expanded and no file named in one is read. A refused text leaves an empty
// document and stale handles.
TEST_F(DocumentServerXml, RefusesMalformedTextAndDocumentTypes) {
    const std::pair<std::u16string, HRESULT> refused[] = {
        {u"<R/><S/>", DOCSERVER_E_MALFORMED},
        {u"text<R/>", DOCSERVER_E_MALFORMED},
        {u"<R/><![CDATA[x]]>", DOCSERVER_E_MALFORMED},
        {u"<R><A x='1' y='2' x='3'/></R>", DOCSERVER_E_MALFORMED},
        {u"<R x='1' x='1'/>", DOCSERVER_E_MALFORMED},
        {std::u16string(u"<R>\0</R>", 8), DOCSERVER_E_MALFORMED},
        {u"<!DOCTYPE R [<!ENTITY e \"expanded\">]><R>&e;</R>", DOCSERVER_E_DOCTYPE},
        {u"<R><!DOCTYPE R></R>", DOCSERVER_E_DOCTYPE},
    };
    for (const auto& [text, refusal] : refused) {
        ULONG old = create(0, u"Old");
        EXPECT_EQ(load(text), refusal) << to_ansi(text.c_str());
        EXPECT_EQ(xml(), u"");
        EXPECT_EQ(status(Handing::Child, old, 0, nullptr), DOCSERVER_E_BADHANDLE);
    }
}

}  // namespace
