// The document as text: what GetXML writes, what LoadXML accepts, and the
// values that must survive the trip through both.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "platform/codepage.h"
#include "tests/docserver/server_fixture.h"

namespace {

// Puts the process's ANSI code page back when the test is done.
class ansi_code_page_override {
public:
    explicit ansi_code_page_override(UINT codePage) : previous_(GetACP()) {
        EXPECT_TRUE(SetAnsiCodePageForTesting(codePage)) << codePage;
    }
    ~ansi_code_page_override() { SetAnsiCodePageForTesting(previous_); }
    ansi_code_page_override(const ansi_code_page_override&) = delete;
    ansi_code_page_override& operator=(const ansi_code_page_override&) = delete;

private:
    UINT previous_;
};

class DocumentServerXml : public DocumentServerTest {
protected:
    void build_small_document() {
        ULONG root = create(0, u"R");
        set_attribute(root, u"VERSION", u"1.0");
        indent(root, 1);
        ULONG field = create(root, u"F");
        set_attribute(field, u"ID", u"1");
        set_text(field, u"x");
        indent(root, 0);
    }
};

TEST_F(DocumentServerXml, WritesNoDeclarationForOptionZero) {
    build_small_document();
    EXPECT_EQ(xml(0), u"<R VERSION=\"1.0\">\n\t<F ID=\"1\">x</F>\n</R>");
}

TEST_F(DocumentServerXml, DeclaresWindows1252ForOptionOne) {
    ansi_code_page_override page(1252);
    build_small_document();
    EXPECT_EQ(xml(1),
              u"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
              u"<R VERSION=\"1.0\">\n\t<F ID=\"1\">x</F>\n</R>");
}

TEST_F(DocumentServerXml, DeclaresShiftJisUnderCodePage932) {
    ansi_code_page_override page(932);
    build_small_document();
    EXPECT_EQ(xml(1),
              u"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
              u"<R VERSION=\"1.0\">\n\t<F ID=\"1\">x</F>\n</R>");
}

TEST_F(DocumentServerXml, WritesTheDeclarationAloneForAnEmptyDocument) {
    ansi_code_page_override page(1252);
    EXPECT_EQ(xml(1), u"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n");
}

struct CodePageName {
    UINT codePage;
    std::u16string declaration;
    friend void PrintTo(const CodePageName& name, std::ostream* out) { *out << name.codePage; }
};

class DocumentServerDeclaration : public DocumentServerTest, public ::testing::WithParamInterface<CodePageName> {};

TEST_P(DocumentServerDeclaration, NamesTheAnsiCodePage) {
    ansi_code_page_override page(GetParam().codePage);
    create(0, u"R");
    EXPECT_EQ(xml(1), GetParam().declaration + u"\n<R/>");
}

INSTANTIATE_TEST_SUITE_P(EveryAnsiCodePage, DocumentServerDeclaration,
                         ::testing::Values(CodePageName{1250, u"<?xml version=\"1.0\" encoding=\"windows-1250\"?>"},
                                           CodePageName{1251, u"<?xml version=\"1.0\" encoding=\"windows-1251\"?>"},
                                           CodePageName{1252, u"<?xml version=\"1.0\" encoding=\"windows-1252\"?>"},
                                           CodePageName{1253, u"<?xml version=\"1.0\" encoding=\"windows-1253\"?>"},
                                           CodePageName{1254, u"<?xml version=\"1.0\" encoding=\"windows-1254\"?>"},
                                           CodePageName{1255, u"<?xml version=\"1.0\" encoding=\"windows-1255\"?>"},
                                           CodePageName{1256, u"<?xml version=\"1.0\" encoding=\"windows-1256\"?>"},
                                           CodePageName{1257, u"<?xml version=\"1.0\" encoding=\"windows-1257\"?>"},
                                           CodePageName{1258, u"<?xml version=\"1.0\" encoding=\"windows-1258\"?>"},
                                           CodePageName{932, u"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"},
                                           CodePageName{936, u"<?xml version=\"1.0\" encoding=\"GBK\"?>"},
                                           CodePageName{949, u"<?xml version=\"1.0\" encoding=\"EUC-KR\"?>"},
                                           CodePageName{950, u"<?xml version=\"1.0\" encoding=\"Big5\"?>"}),
                         [](const ::testing::TestParamInfo<CodePageName>& info) {
                             return std::to_string(info.param.codePage);
                         });

TEST_F(DocumentServerXml, EscapesMarkupInTextAndAttributes) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"<&>\"'\t\n\r\x01");
    set_text(root, u"<&>\"'\t\n\r\x01\x1F");
    EXPECT_EQ(xml(), u"<R A=\"&lt;&amp;>&quot;'&#09;&#10;&#13;&#01;\">&lt;&amp;&gt;\"'\t\n\r&#01;&#31;</R>");
}

TEST_F(DocumentServerXml, WritesCharactersBeyondAsciiAsTheyAre) {
    ULONG root = create(0, u"R");
    set_text(root, u"\u00E9\u20AC\u4E2D\U0001F600");
    EXPECT_EQ(xml(), u"<R>\u00E9\u20AC\u4E2D\U0001F600</R>");
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
    ULONG root = create(0, u"R");
    ULONG field = create(root, u"F");
    set_attribute(field, u"V", GetParam().value);
    set_text(field, GetParam().value);
    std::u16string written = xml();

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

TEST_F(DocumentServerLoad, DropsTheDeclarationCommentsAndWhitespaceAroundTheRoot) {
    ASSERT_EQ(load(u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- c -->\n<R>\u00E9</R>\n<?p?>\n"),
              DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R>\u00E9</R>");
}

TEST_F(DocumentServerLoad, ReadsUtf16WhateverTheDeclarationSays) {
    ASSERT_EQ(load(u"<?xml version=\"1.0\" encoding=\"windows-1252\"?><R>\u20AC\u4E2D</R>"), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R>\u20AC\u4E2D</R>");
}

TEST_F(DocumentServerLoad, KeepsAnUnknownEntityReferenceLiterally) {
    ASSERT_EQ(load(u"<D><R a=\"&bar;\">&foo;&lt;</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(text(r), u"&foo;<");
    EXPECT_EQ(attribute(r, u"a"), u"&bar;");
    EXPECT_EQ(xml(), u"<D><R a=\"&amp;bar;\">&amp;foo;&lt;</R></D>");
}

TEST_F(DocumentServerLoad, ReplacesTheDocument) {
    create(0, u"Old");
    ASSERT_EQ(load(u"<New/>"), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<New/>");
}

struct BadText {
    const char* name;
    std::u16string text;
    friend void PrintTo(const BadText& text, std::ostream* out) { *out << text.name; }
};

class DocumentServerMalformed : public DocumentServerTest, public ::testing::WithParamInterface<BadText> {};

TEST_P(DocumentServerMalformed, IsRefusedAndLeavesAnEmptyDocument) {
    ULONG old = create(0, u"Old");
    HRESULT status = load(GetParam().text);
    EXPECT_EQ(status, DOCSERVER_E_MALFORMED);
    EXPECT_LT(status, 0);
    EXPECT_EQ(xml(), u"");
    LONG count = 77;
    EXPECT_EQ(server->GetChildCount(old, &count), DOCSERVER_E_BADHANDLE);
    ULONG node = 77;
    EXPECT_EQ(server->FindElement(0, 0, &node, make_bstr(u"R").get()), DOCSERVER_E_NOTFOUND);
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

TEST_P(DocumentServerDoctype, IsRefusedAndLeavesAnEmptyDocument) {
    create(0, u"Old");
    EXPECT_EQ(load(GetParam().text), DOCSERVER_E_DOCTYPE);
    EXPECT_EQ(xml(), u"");
}

std::u16string billion_laughs() {
    std::u16string text = u"<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        std::u16string previous = level == 1 ? u"lol" : u"lol" + std::u16string(1, u'0' + level - 1);
        text += u" <!ENTITY lol" + std::u16string(1, u'0' + level) + u" \"";
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
                      BadText{"ParameterEntity", u"<!DOCTYPE R [<!ENTITY % p SYSTEM \"/etc/hostname\"> %p;]><R/>"},
                      BadText{"BillionLaughs", billion_laughs()}, BadText{"AfterTheRoot", u"<R/><!DOCTYPE R>"},
                      BadText{"Unfinished", u"<!DOCTYPE R [<!ENTITY e 'x'"},
                      BadText{"InsideAnElement", u"<R><!DOCTYPE R></R>"}),
    [](const ::testing::TestParamInfo<BadText>& info) { return std::string(info.param.name); });

TEST_F(DocumentServerLoad, NeverReadsAFileThatAnEntityNames) {
    std::filesystem::path directory = std::filesystem::temp_directory_path();
    if (const char* tmp = std::getenv("XMLXSL_TEST_TMP")) directory = tmp;
    std::filesystem::create_directories(directory);
    std::filesystem::path secret = directory / "docserver_secret.txt";
    std::ofstream(secret) << "SECRET-CONTENT-OF-A-LOCAL-FILE";
    std::u16string path;
    for (char c : secret.string()) path.push_back(static_cast<unsigned char>(c));

    EXPECT_EQ(load(u"<!DOCTYPE R [<!ENTITY x SYSTEM \"file://" + path + u"\">]><R>&x;</R>"), DOCSERVER_E_DOCTYPE);
    EXPECT_EQ(xml(), u"");
    EXPECT_EQ(load(u"<!DOCTYPE R SYSTEM \"" + path + u"\"><R/>"), DOCSERVER_E_DOCTYPE);
    EXPECT_EQ(xml(), u"");
    std::filesystem::remove(secret);
}

}  // namespace
