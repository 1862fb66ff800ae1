// Building a document, finding its elements and the handles that name them.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/docserver/server_fixture.h"

namespace {

using DocumentServerBuild = DocumentServerTest;

TEST_F(DocumentServerBuild, RefusesASecondRoot) {
    create(0, u"R");
    EXPECT_EQ(create_status(0, u"S"), DOCSERVER_E_SECONDROOT);
    EXPECT_EQ(xml(), u"<R/>");
    ASSERT_EQ(load(u"<L/>"), DOCSERVER_S_OK);
    EXPECT_EQ(create_status(0, u"S"), DOCSERVER_E_SECONDROOT);
}

TEST_F(DocumentServerBuild, ReplacesAnAttributeInItsPlaceAndTheTextButKeepsChildren) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"1");
    set_attribute(root, u"B", u"2");
    set_attribute(root, u"A", u"3");
    indent(root, 1);
    ULONG leaf = create(root, u"C");
    set_text(leaf, u"x");
    set_text(leaf, u"");
    indent(root, 0);
    set_text(root, u"one");
    set_text(root, u"two");
    EXPECT_EQ(xml(), u"<R A=\"3\" B=\"2\"><C/>two</R>");
    EXPECT_EQ(child_count(root), 1);
    set_text(root, u"");
    EXPECT_EQ(text(root), u"");
}

TEST_F(DocumentServerBuild, IndentsEveryFieldAndEveryOtherTagOnALineOfItsOwn) {
    ULONG root = create(0, u"TORVALE_CODEPLUG");
    set_attribute(root, u"VERSION", u"1.0");
    indent(root, 1);
    ULONG region = create(root, u"RRW");
    indent(region, 2);
    ULONG block = create(region, u"RRW_BLOCK");
    set_attribute(block, u"ID", u"1");
    indent(block, 3);
    ULONG field = create(block, u"RRW_RGNSIZE");
    set_attribute(field, u"ID", u"100");
    set_attribute(field, u"TYPE", u"2");
    set_text(field, u"4096");
    indent(block, 3);
    ULONG info = create(block, u"ENTRY_INFO");
    indent(info, 3);
    indent(block, 2);
    indent(region, 1);
    indent(root, 0);
    EXPECT_EQ(xml(),
              u"<TORVALE_CODEPLUG VERSION=\"1.0\">\n"
              u"\t<RRW>\n"
              u"\t\t<RRW_BLOCK ID=\"1\">\n"
              u"\t\t\t<RRW_RGNSIZE ID=\"100\" TYPE=\"2\">4096</RRW_RGNSIZE>\n"
              u"\t\t\t<ENTRY_INFO>\n"
              u"\t\t\t</ENTRY_INFO>\n"
              u"\t\t</RRW_BLOCK>\n"
              u"\t</RRW>\n"
              u"</TORVALE_CODEPLUG>");
}

TEST_F(DocumentServerBuild, IndentsFromDepthZeroToItsLimit) {
    ULONG root = create(0, u"R");
    indent(root, 0);
    EXPECT_EQ(xml(), u"<R>\n</R>");
    indent(root, 1024);
    EXPECT_EQ(xml(), u"<R>\n\n" + std::u16string(1024, u'\t') + u"</R>");
    EXPECT_EQ(server->AppendIndent(root, 1025), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->AppendIndent(root, -1), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerBuild, StartsAnEmptyDocumentOnNewDocument) {
    EXPECT_EQ(xml(), u"");
    create(0, u"R");
    ASSERT_EQ(server->NewDocument(), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"");
    create(0, u"S");
    EXPECT_EQ(xml(), u"<S/>");
}

// Names that XML cannot carry would make the text unreadable.
class DocumentServerNames : public DocumentServerTest, public ::testing::WithParamInterface<std::u16string> {};

TEST_P(DocumentServerNames, AreRefusedForElementsAndAttributes) {
    ULONG root = create(0, u"R");
    unique_bstr name = make_bstr(GetParam());
    ULONG node = 77;
    EXPECT_EQ(server->CreateElement(root, &node, name.get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(node, 0u);
    EXPECT_EQ(server->SetAttribute(root, name.get(), make_bstr(u"v").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(xml(), u"<R/>");
}

INSTANTIATE_TEST_SUITE_P(Invalid, DocumentServerNames,
                         ::testing::Values(u"", u"1A", u"-A", u".A", u"A B", u"A<", u"A>", u"A&", u"A\"", u"A'", u"A=",
                                           u"A/", u"A\t", std::u16string(u"\0A", 2)));

TEST_F(DocumentServerBuild, AcceptsNamesWithPunctuationDigitsAndLettersBeyondAscii) {
    ULONG node = create(create(0, u"R"), u"_a-1.b:c");
    set_attribute(node, u"\u00C4\u4E2D", u"v");
    EXPECT_EQ(xml(), u"<R><_a-1.b:c \u00C4\u4E2D=\"v\"/></R>");
}

// A null BSTR is empty text, and text ends at its first NUL.
TEST_F(DocumentServerBuild, ReadsValuesUpToTheFirstNulAndRefusesUnpairedSurrogates) {
    EXPECT_EQ(create_status(0, nullptr), DOCSERVER_E_INVALIDARG);
    ULONG root = create(0, u"R");
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), nullptr), DOCSERVER_S_OK);
    set_attribute(root, u"B", std::u16string(u"x\0y", 3));
    set_text(root, std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(server->SetText(root, make_bstr(u"a\xD800-").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), make_bstr(u"\xDC00").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(xml(), u"<R A=\"\" B=\"x\">ab</R>");
    EXPECT_EQ(server->SetText(root, nullptr), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R A=\"\" B=\"x\"/>");
}

TEST_F(DocumentServerBuild, RefusesNullOutPointersAndAnUnknownGetXmlOption) {
    ULONG root = create(0, u"R");
    unique_bstr name = make_bstr(u"R");
    EXPECT_EQ(server->GetXML(nullptr, 0), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->CreateElement(root, nullptr, name.get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->FindElement(0, 0, nullptr, name.get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetChildCount(root, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetChild(root, 0, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetText(root, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetAttribute(root, name.get(), nullptr), DOCSERVER_E_INVALIDARG);
    for (LONG option : {2, -1}) {
        BSTR text = name.get();
        EXPECT_EQ(server->GetXML(&text, option), DOCSERVER_E_INVALIDARG);
        EXPECT_EQ(text, nullptr);
    }
    EXPECT_EQ(xml(), u"<R/>");
}

// Handles it never issued are refused; the handle is checked before the index
// and the name, the name before the search for the root.
TEST_F(DocumentServerBuild, ChecksArgumentsInAFixedOrder) {
    EXPECT_EQ(find_status(0, 0, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(find_status(0, 0, u"R"), DOCSERVER_E_NOTFOUND);
    ULONG root = create(0, u"R");
    LONG count = 77;
    for (ULONG unknown : {0u, root + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(server->GetChildCount(unknown, &count), DOCSERVER_E_BADHANDLE) << unknown;
        EXPECT_EQ(server->AppendIndent(unknown, 0), DOCSERVER_E_BADHANDLE) << unknown;
    }
    EXPECT_EQ(count, 0);
    EXPECT_EQ(child_status(root + 1, -1), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(find_status(root + 1, -1, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(server->AppendIndent(root + 1, -1), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(create_status(root + 1, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(find_status(root, -1, nullptr), DOCSERVER_E_INVALIDARG);
}

using DocumentServerFind = DocumentServerTest;

// Parent 0 is the root, which is never found by its own name.
TEST_F(DocumentServerFind, CountsOnlyElementsOfThatNameBelowTheParent) {
    ASSERT_EQ(load(u"<R> <A I='0'/>t<B/><A I='1'/><!-- c --><a/><A I='2'>x<A I='nested'/></A></R>"), DOCSERVER_S_OK);
    EXPECT_EQ(attribute(find(0, 0, u"A"), u"I"), u"0");
    EXPECT_EQ(attribute(find(0, 1, u"A"), u"I"), u"1");
    EXPECT_EQ(attribute(find(0, 2, u"A"), u"I"), u"2");
    EXPECT_EQ(find_status(0, 3, u"A"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(find_status(0, -1, u"A"), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(find_status(0, 0, u"C"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(find_status(0, 0, u"R"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(find_status(0, 0, u""), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerFind, GivesChildElementsByIndexSkippingText) {
    ASSERT_EQ(load(u"<D><R>\n\t<A/>text<![CDATA[c]]>\n\t<B/><!-- c --><?p i?>\n\t<C/>\n</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(child_count(r), 3);
    EXPECT_EQ(child(r, 0), find(r, 0, u"A"));
    EXPECT_EQ(child(r, 1), find(r, 0, u"B"));
    EXPECT_EQ(child(r, 2), find(r, 0, u"C"));
    EXPECT_EQ(child_status(r, 3), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_count(find(r, 0, u"A")), 0);
}

// A lookup or count made before an append must not keep what it found.
TEST_F(DocumentServerFind, FindsAnElementAppendedAfterALookupRanOut) {
    ULONG root = create(0, u"R");
    ULONG a = create(root, u"A");
    EXPECT_EQ(child_status(root, 1), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_status(root, -1), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(find_status(root, 1, u"A"), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_status(a, 0), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(child_count(root), 1);
    ULONG second = create(root, u"A");
    EXPECT_EQ(child(root, 1), second);
    EXPECT_EQ(find(root, 1, u"A"), second);
    EXPECT_EQ(child_count(root), 2);
}

// Walks over many children in every order, with walks over other parents and
// other names in between, must give what a plain search gives.
TEST_F(DocumentServerFind, GivesTheRightChildInAnyOrderOfCalls) {
    ULONG root = create(0, u"R");
    std::vector<ULONG> all, even, odd;
    for (int i = 0; i < 40; ++i) {
        indent(root, 1);
        ULONG node = create(root, i % 2 == 0 ? u"E" : u"O");
        create(node, u"X");
        all.push_back(node);
        (i % 2 == 0 ? even : odd).push_back(node);
    }
    std::vector<LONG> order;
    for (LONG i = 0; i < 40; ++i) order.push_back(i);
    for (LONG i = 39; i >= 0; --i) order.push_back(i);
    for (LONG i : {0, 39, 1, 38, 20, 19, 21, 5, 5, 0, 39, 30, 10}) order.push_back(i);
    for (LONG i : order) {
        EXPECT_EQ(child(root, i), all[i]) << i;
        EXPECT_EQ(child(all[i], 0), child(all[i], 0));
        EXPECT_EQ(find(root, i / 2, i % 2 == 0 ? u"E" : u"O"), (i % 2 == 0 ? even : odd)[i / 2]) << i;
        EXPECT_EQ(find(root, (39 - i) / 2, u"E"), even[(39 - i) / 2]) << i;
    }
}

// Something that replaces the document, and so retires every handle.
struct DocumentReplacement {
    const char* name;
    HRESULT (*replace)(IDocumentServer&);
    HRESULT expected;
    friend void PrintTo(const DocumentReplacement& replacement, std::ostream* out) { *out << replacement.name; }
};

class DocumentServerHandles : public DocumentServerTest, public ::testing::WithParamInterface<DocumentReplacement> {};

TEST_P(DocumentServerHandles, GoStaleWhenTheDocumentIsReplacedAndAreNotReused) {
    const ULONG root = create(0, u"R"), a = create(root, u"A"), b = create(a, u"B");
    set_attribute(a, u"N", u"v");
    ASSERT_EQ(GetParam().replace(*server.get()), GetParam().expected);

    const unique_bstr name = make_bstr(u"A");
    for (ULONG stale : {root, a, b}) {
        EXPECT_EQ(create_status(stale, u"A"), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->SetAttribute(stale, name.get(), name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->SetText(stale, name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->AppendIndent(stale, 1), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(find_status(stale, 0, u"A"), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(child_status(stale, 0), DOCSERVER_E_BADHANDLE);
        LONG count = 77;
        EXPECT_EQ(server->GetChildCount(stale, &count), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(count, 0);
        unique_bstr text = make_bstr(u"junk");
        EXPECT_EQ(server->GetText(stale, text.put()), DOCSERVER_E_BADHANDLE);
        EXPECT_FALSE(text);
        EXPECT_EQ(server->GetAttribute(stale, make_bstr(u"N").get(), text.put()), DOCSERVER_E_BADHANDLE);
        EXPECT_FALSE(text);
    }
    ASSERT_EQ(load(u"<R><A/><A/><A/><A/><A/><A/><A/></R>"), DOCSERVER_S_OK);
    for (LONG i = 0; i < 7; ++i) {
        ULONG node = find(0, i, u"A");
        EXPECT_TRUE(node != root && node != a && node != b) << i;
    }
}

HRESULT load_document(IDocumentServer& s) { return s.LoadXML(make_bstr(u"<R><A N='v'><B/></A></R>").get()); }
HRESULT load_malformed(IDocumentServer& s) { return s.LoadXML(make_bstr(u"<R>").get()); }
HRESULT reset_and_initialize(IDocumentServer& s) { return s.Reset() == DOCSERVER_S_OK ? s.Initialize() : E_FAIL; }

INSTANTIATE_TEST_SUITE_P(
    Replacements, DocumentServerHandles,
    ::testing::Values(DocumentReplacement{"NewDocument", [](IDocumentServer& s) { return s.NewDocument(); },
                                          DOCSERVER_S_OK},
                      DocumentReplacement{"LoadXML", load_document, DOCSERVER_S_OK},
                      DocumentReplacement{"FailedLoadXML", load_malformed, DOCSERVER_E_MALFORMED},
                      DocumentReplacement{"ResetAndInitialize", reset_and_initialize, DOCSERVER_S_OK}),
    [](const ::testing::TestParamInfo<DocumentReplacement>& info) { return std::string(info.param.name); });

using DocumentServerText = DocumentServerTest;

// An element's text is its own text and CDATA joined, the whitespace between
// its children included, and nothing of theirs.
TEST_F(DocumentServerText, JoinsTheElementsOwnTextAndCdata) {
    ULONG root = create(0, u"R");
    indent(root, 1);
    create(root, u"A");
    indent(root, 0);
    EXPECT_EQ(text(root), u"\n\t\n");
    ASSERT_EQ(load(u"<D><R>a<![CDATA[<b>]]>c<X>not this</X>d</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(text(r), u"a<b>cd");
    EXPECT_EQ(text(find(r, 0, u"X")), u"not this");
}

TEST_F(DocumentServerText, FailsForAMissingAttribute) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"1");
    unique_bstr value = make_bstr(u"junk");
    EXPECT_EQ(server->GetAttribute(root, make_bstr(u"B").get(), value.put()), DOCSERVER_E_NOTFOUND);
    EXPECT_FALSE(value);
    EXPECT_EQ(server->GetAttribute(root, make_bstr(u"a").get(), value.put()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(server->GetAttribute(root, nullptr, value.put()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(attribute(root, u"A"), u"1");
}

}  // namespace
