// The document as text: what GetXML writes, what LoadXML accepts, and the
// values that must survive the trip through both.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

#include "platform/codepage.h"
#include "tests/docserver/server_fixture.h"

namespace {

// Every test leaves the process on 1252, the page the suite starts with.
class DocumentServerXml : public DocumentServerTest {
protected:
    void TearDown() override {
        SetAnsiCodePageForTesting(1252);
        DocumentServerTest::TearDown();
    }
};

// Option 1 declares the ANSI code page, even for an empty document; option 0
// writes no declaration.
TEST_F(DocumentServerXml, DeclaresTheAnsiCodePageForOptionOne) {
    const std::pair<UINT, std::u16string> pages[] = {
        {1250, u"windows-1250"}, {1251, u"windows-1251"}, {1252, u"windows-1252"}, {1253, u"windows-1253"},
        {1254, u"windows-1254"}, {1255, u"windows-1255"}, {1256, u"windows-1256"}, {1257, u"windows-1257"},
        {1258, u"windows-1258"}, {932, u"Shift_JIS"},     {936, u"GBK"},           {949, u"EUC-KR"},
        {950, u"Big5"}};
    for (const auto& [page, encoding] : pages) {
        ASSERT_TRUE(SetAnsiCodePageForTesting(page));
        ASSERT_EQ(server->NewDocument(), DOCSERVER_S_OK);
        const std::u16string declaration = u"<?xml version=\"1.0\" encoding=\"" + encoding + u"\"?>\n";
        EXPECT_EQ(xml(1), declaration) << page;
        create(0, u"R");
        EXPECT_EQ(xml(1), declaration + u"<R/>") << page;
        EXPECT_EQ(xml(0), u"<R/>");
    }
}

TEST_F(DocumentServerXml, EscapesMarkupAndControlsAndWritesOtherCharactersAsTheyAre) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"<&>\"'\t\n\r\x01");
    set_text(root, u"<&>\"'\t\n\r\x01\x1F\u00E9\u20AC\u4E2D\U0001F600");
    EXPECT_EQ(xml(),
              u"<R A=\"&lt;&amp;>&quot;'&#09;&#10;&#13;&#01;\">&lt;&amp;&gt;\"'\t\n\r&#01;&#31;"
              u"\u00E9\u20AC\u4E2D\U0001F600</R>");
}

std::u16string every_latin1_character() {
    std::u16string text;
    for (char16_t c = 1; c <= 0xFF; ++c) text.push_back(c);
    return text;
}

struct HardValue {
    const char* name;
    std::u16string value;
    friend void PrintTo(const HardValue& value, std::ostream* out) { *out << value.name; }
};

class DocumentServerRoundTrip : public DocumentServerTest, public ::testing::WithParamInterface<HardValue> {};

TEST_P(DocumentServerRoundTrip, KeepsTheValueInTextAndAttributes) {
    ULONG field = create(create(0, u"R"), u"F");
    set_attribute(field, u"V", GetParam().value);
    set_text(field, GetParam().value);
    const std::u16string written = xml();
    ASSERT_EQ(load(written), DOCSERVER_S_OK);
    ULONG loaded = find(0, 0, u"F");
    EXPECT_EQ(text(loaded), GetParam().value);
    EXPECT_EQ(attribute(loaded, u"V"), GetParam().value);
    EXPECT_EQ(xml(), written);
}

INSTANTIATE_TEST_SUITE_P(HardValues, DocumentServerRoundTrip,
                         ::testing::Values(HardValue{"EveryLatin1Character", every_latin1_character()},
                                           HardValue{"CarriageReturn", u"a\rb\r"}, HardValue{"CrLf", u"a\r\nb\r\n"},
                                           HardValue{"LineFeedsAndTabs", u"\n\ta\n\t"}, HardValue{"Quotes", u"\"'\"\""},
                                           HardValue{"Markup", u"<a>&amp;</a>&#65;"}, HardValue{"CdataEnd", u"]]>"},
                                           HardValue{"UnknownEntity", u"&foo;"}, HardValue{"OnlySpaces", u"  "},
                                           HardValue{"Empty", u""}, HardValue{"Cjk", u"\u4E2D\u6587\u30AB\u30CA\uD55C"},
                                           HardValue{"BeyondTheBmp", u"\U0001F600\U00020000"},
                                           HardValue{"Noncharacters", u"\uFFFE\uFFFF"}),
                         [](const ::testing::TestParamInfo<HardValue>& info) { return std::string(info.param.name); });

using DocumentServerLoad = DocumentServerTest;

TEST_F(DocumentServerLoad, GivesBackTheIndentedDocumentUnchanged) {
    std::u16string text = u"<R V=\"1\">\n\t<A ID=\"1\" TYPE=\"2\">4096</A>\n\t<B>\n\t\t<C/>\n\t</B>\n</R>";
    ASSERT_EQ(load(text), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), text);
}

// The text is UTF-16 whatever its declaration says.
TEST_F(DocumentServerLoad, ReplacesTheDocumentDroppingTheDeclarationCommentsAndWhitespaceAroundTheRoot) {
    create(0, u"Old");
    ASSERT_EQ(
        load(u"\uFEFF<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<!-- c -->\n<R>\u20AC\u4E2D</R>\n<?p?>\n"),
        DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R>\u20AC\u4E2D</R>");
}

TEST_F(DocumentServerLoad, KeepsAnUnknownEntityReferenceLiterally) {
    ASSERT_EQ(load(u"<D><R a=\"&bar;\">&foo;&lt;</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(text(r), u"&foo;<");
    EXPECT_EQ(attribute(r, u"a"), u"&bar;");
    EXPECT_EQ(xml(), u"<D><R a=\"&amp;bar;\">&amp;foo;&lt;</R></D>");
}

struct BadText {
    const char* name;
    std::u16string text;
    friend void PrintTo(const BadText& text, std::ostream* out) { *out << text.name; }
};

class DocumentServerMalformed : public DocumentServerTest, public ::testing::WithParamInterface<BadText> {};

TEST_P(DocumentServerMalformed, IsRefusedAndLeavesAnEmptyDocument) {
    ULONG old = create(0, u"Old");
    EXPECT_EQ(load(GetParam().text), DOCSERVER_E_MALFORMED);
    EXPECT_EQ(xml(), u"");
    LONG count = 77;
    EXPECT_EQ(server->GetChildCount(old, &count), DOCSERVER_E_BADHANDLE);
    create(0, u"R");
    EXPECT_EQ(xml(), u"<R/>");
}

INSTANTIATE_TEST_SUITE_P(BadTexts, DocumentServerMalformed,
                         ::testing::Values(BadText{"Empty", u""}, BadText{"Whitespace", u" \r\n\t"},
                                           BadText{"Unclosed", u"<R><A></R>"}, BadText{"Unfinished", u"<R>"},
                                           BadText{"Mismatched", u"<R></S>"}, BadText{"ExtraEndTag", u"<R/></R>"},
                                           BadText{"TwoRoots", u"<R/><S/>"}, BadText{"TextAfterRoot", u"<R/>text"},
                                           BadText{"TextBeforeRoot", u"text<R/>"},
                                           BadText{"CdataOutsideRoot", u"<R/><![CDATA[x]]>"},
                                           BadText{"DuplicateAttribute", u"<R><A x='1' y='2' x='3'/></R>"},
                                           BadText{"DuplicateAttributeOnRoot", u"<R x='1' x='1'/>"},
                                           BadText{"DigitName", u"<1R/>"}, BadText{"UnquotedAttribute", u"<R a=1/>"},
                                           BadText{"UnclosedCdata", u"<R><![CDATA[x</R>"},
                                           BadText{"BareLessThan", u"<R>a < b</R>"},
                                           BadText{"EmbeddedNul", std::u16string(u"<R>\0</R>", 8)}),
                         [](const ::testing::TestParamInfo<BadText>& info) { return std::string(info.param.name); });

TEST_F(DocumentServerLoad, TakesANullTextAsMalformed) { EXPECT_EQ(server->LoadXML(nullptr), DOCSERVER_E_MALFORMED); }

class DocumentServerDoctype : public DocumentServerTest, public ::testing::WithParamInterface<BadText> {};

// Refused outright, so that no entity is expanded and no file named in one is read.
TEST_P(DocumentServerDoctype, IsRefusedAndLeavesAnEmptyDocument) {
    create(0, u"Old");
    EXPECT_EQ(load(GetParam().text), DOCSERVER_E_DOCTYPE);
    EXPECT_EQ(xml(), u"");
}

std::u16string billion_laughs() {
    std::u16string text = u"<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (char16_t level = u'1'; level <= u'9'; ++level) {
        const std::u16string previous = level == u'1' ? u"lol" : u"lol" + std::u16string(1, level - 1);
        text += u" <!ENTITY lol" + std::u16string(1, level) + u" \"";
        for (int i = 0; i < 10; ++i) text += u"&" + previous + u";";
        text += u"\">\n";
    }
    return text + u"]>\n<lolz>&lol9;</lolz>";
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, DocumentServerDoctype,
    ::testing::Values(BadText{"ExternalSubset", u"<!DOCTYPE R SYSTEM \"/etc/hostname\"><R/>"},
                      BadText{"PublicId", u"<!DOCTYPE R PUBLIC \"-//X//Y//EN\" \"http://example.com/r.dtd\"><R/>"},
                      BadText{"InternalEntity", u"<!DOCTYPE R [<!ENTITY e \"expanded\">]><R>&e;</R>"},
                      BadText{"ExternalEntity",
                              u"<!DOCTYPE R [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><R>&x;</R>"},
                      BadText{"ParameterEntity", u"<!DOCTYPE R [<!ENTITY % p SYSTEM \"/etc/hostname\"> %p;]><R/>"},
                      BadText{"BillionLaughs", billion_laughs()}, BadText{"AfterTheRoot", u"<R/><!DOCTYPE R>"},
                      BadText{"Unfinished", u"<!DOCTYPE R [<!ENTITY e 'x'"},
                      BadText{"InsideAnElement", u"<R><!DOCTYPE R></R>"}),
    [](const ::testing::TestParamInfo<BadText>& info) { return std::string(info.param.name); });

}  // namespace
