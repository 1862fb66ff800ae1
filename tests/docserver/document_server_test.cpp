// Building a document, finding its elements and the handles that name them.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/docserver/server_fixture.h"

namespace {

using DocumentServerBuild = DocumentServerTest;

TEST_F(DocumentServerBuild, RefusesASecondRoot) {
    create(0, u"R");
    ULONG node = 77;
    EXPECT_EQ(server->CreateElement(0, &node, make_bstr(u"S").get()), DOCSERVER_E_SECONDROOT);
    EXPECT_EQ(node, 0u);
    EXPECT_EQ(xml(), u"<R/>");

    ASSERT_EQ(load(u"<L/>"), DOCSERVER_S_OK);
    node = 77;
    EXPECT_EQ(server->CreateElement(0, &node, make_bstr(u"S").get()), DOCSERVER_E_SECONDROOT);
    EXPECT_EQ(node, 0u);
}

TEST_F(DocumentServerBuild, AppendsChildrenInOrder) {
    ULONG root = create(0, u"R");
    create(root, u"A");
    ULONG b = create(root, u"B");
    create(b, u"C");
    create(root, u"D");
    EXPECT_EQ(xml(), u"<R><A/><B><C/></B><D/></R>");
}

TEST_F(DocumentServerBuild, ReplacesAnAttributeValueInItsPlace) {
    ULONG root = create(0, u"R");
    set_attribute(root, u"A", u"1");
    set_attribute(root, u"B", u"2");
    set_attribute(root, u"A", u"3");
    EXPECT_EQ(xml(), u"<R A=\"3\" B=\"2\"/>");
}

TEST_F(DocumentServerBuild, ReplacesTheText) {
    ULONG root = create(0, u"R");
    set_text(root, u"one");
    set_text(root, u"two");
    EXPECT_EQ(xml(), u"<R>two</R>");
    set_text(root, u"");
    EXPECT_EQ(xml(), u"<R/>");
    EXPECT_EQ(text(root), u"");
}

TEST_F(DocumentServerBuild, ReplacesTextAndIndentationButKeepsChildren) {
    ULONG root = create(0, u"R");
    indent(root, 1);
    create(root, u"A");
    indent(root, 0);
    set_text(root, u"x");
    EXPECT_EQ(xml(), u"<R><A/>x</R>");
    EXPECT_EQ(child_count(root), 1);
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
    EXPECT_EQ(server->AppendIndent(root, 1024), DOCSERVER_S_OK);
    EXPECT_EQ(xml().size(), 3u + 1u + 1u + 1024u + 4u);
    EXPECT_EQ(server->AppendIndent(root, 1025), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->AppendIndent(root, -1), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerBuild, StartsAnEmptyDocumentOnNewDocument) {
    EXPECT_EQ(xml(0), u"");
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
    ULONG root = create(0, u"R");
    ULONG node = create(root, u"_a-1.b:c");
    set_attribute(node, u"\u00C4\u4E2D", u"v");
    EXPECT_EQ(xml(), u"<R><_a-1.b:c \u00C4\u4E2D=\"v\"/></R>");
}

TEST_F(DocumentServerBuild, TakesANullBstrAsEmpty) {
    ULONG node = 77;
    EXPECT_EQ(server->CreateElement(0, &node, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(node, 0u);
    ULONG root = create(0, u"R");
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), nullptr), DOCSERVER_S_OK);
    EXPECT_EQ(server->SetText(root, nullptr), DOCSERVER_S_OK);
    EXPECT_EQ(xml(), u"<R A=\"\"/>");
}

TEST_F(DocumentServerBuild, ReadsTextUpToItsFirstNul) {
    ULONG root = create(0, u"R");
    set_text(root, std::u16string(u"ab\0cd", 5));
    set_attribute(root, u"A", std::u16string(u"x\0y", 3));
    EXPECT_EQ(xml(), u"<R A=\"x\">ab</R>");
}

TEST_F(DocumentServerBuild, RefusesAnUnpairedSurrogate) {
    ULONG root = create(0, u"R");
    EXPECT_EQ(server->SetText(root, make_bstr(u"a\xD800"
                                              u"b")
                                        .get()),
              DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->SetAttribute(root, make_bstr(u"A").get(), make_bstr(u"\xDC00").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(xml(), u"<R/>");
}

TEST_F(DocumentServerBuild, RefusesAnUnknownGetXmlOption) {
    BSTR text = reinterpret_cast<BSTR>(&text);
    EXPECT_EQ(server->GetXML(&text, 2), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(server->GetXML(&text, -1), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerBuild, RefusesNullOutPointers) {
    ULONG root = create(0, u"R");
    unique_bstr name = make_bstr(u"R");
    EXPECT_EQ(server->GetXML(nullptr, 0), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->CreateElement(root, nullptr, name.get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->FindElement(0, 0, nullptr, name.get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetChildCount(root, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetChild(root, 0, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetText(root, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->GetAttribute(root, name.get(), nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(xml(), u"<R/>");
}

TEST_F(DocumentServerBuild, ChecksTheOutPointerBeforeInitialisation) {
    ASSERT_EQ(server->Reset(), DOCSERVER_S_OK);
    EXPECT_EQ(server->GetChild(1, 0, nullptr), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerBuild, ChecksTheHandleBeforeTheIndexAndTheName) {
    ULONG root = create(0, u"R");
    ULONG node = 77;
    EXPECT_EQ(server->GetChild(root + 1, -1, &node), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(server->FindElement(root + 1, -1, &node, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(server->AppendIndent(root + 1, -1), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(server->CreateElement(root + 1, &node, nullptr), DOCSERVER_E_BADHANDLE);
    EXPECT_EQ(server->FindElement(root, -1, &node, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(node, 0u);
}

TEST_F(DocumentServerBuild, ChecksTheNameBeforeLookingForTheRoot) {
    ULONG node = 77;
    EXPECT_EQ(server->FindElement(0, 0, &node, nullptr), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(server->FindElement(0, 0, &node, make_bstr(u"R").get()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(node, 0u);
}

using DocumentServerFind = DocumentServerTest;

TEST_F(DocumentServerFind, TakesParentZeroAsTheRoot) {
    ULONG root = create(0, u"R");
    ULONG a = create(root, u"A");
    EXPECT_EQ(find(0, 0, u"A"), a);
    ULONG node = 77;
    EXPECT_EQ(server->FindElement(0, 0, &node, make_bstr(u"R").get()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(node, 0u);
}

TEST_F(DocumentServerFind, CountsOnlyElementsOfThatName) {
    ASSERT_EQ(load(u"<R> <A I='0'/>t<B/><A I='1'/><!-- c --><a/><A I='2'>x<A I='nested'/></A></R>"), DOCSERVER_S_OK);
    EXPECT_EQ(attribute(find(0, 0, u"A"), u"I"), u"0");
    EXPECT_EQ(attribute(find(0, 1, u"A"), u"I"), u"1");
    EXPECT_EQ(attribute(find(0, 2, u"A"), u"I"), u"2");
    ULONG node = 77;
    EXPECT_EQ(server->FindElement(0, 3, &node, make_bstr(u"A").get()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(node, 0u);
    node = 77;
    EXPECT_EQ(server->FindElement(0, -1, &node, make_bstr(u"A").get()), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(node, 0u);
    EXPECT_EQ(server->FindElement(0, 0, &node, make_bstr(u"C").get()), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(server->FindElement(0, 0, &node, make_bstr(u"").get()), DOCSERVER_E_INVALIDARG);
}

TEST_F(DocumentServerFind, GivesChildElementsByIndexSkippingText) {
    ASSERT_EQ(load(u"<D><R>\n\t<A/>text<![CDATA[c]]>\n\t<B/><!-- c --><?p i?>\n\t<C/>\n</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(child_count(r), 3);
    EXPECT_EQ(child(r, 0), find(r, 0, u"A"));
    EXPECT_EQ(child(r, 1), find(r, 0, u"B"));
    EXPECT_EQ(child(r, 2), find(r, 0, u"C"));
    ULONG node = 77;
    EXPECT_EQ(server->GetChild(r, 3, &node), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(node, 0u);
}

TEST_F(DocumentServerFind, CountsChildElementsOnly) {
    ULONG root = create(0, u"R");
    EXPECT_EQ(child_count(root), 0);
    indent(root, 1);
    ULONG a = create(root, u"A");
    set_text(a, u"text");
    indent(root, 1);
    create(root, u"B");
    indent(root, 0);
    EXPECT_EQ(child_count(root), 2);
    EXPECT_EQ(child_count(a), 0);
    create(root, u"C");
    EXPECT_EQ(child_count(root), 3);
}

TEST_F(DocumentServerFind, GivesTheSameHandleForTheSameElement) {
    ULONG root = create(0, u"R");
    ULONG a = create(root, u"A");
    EXPECT_EQ(child(root, 0), a);
    EXPECT_EQ(child(root, 0), a);
    EXPECT_EQ(find(root, 0, u"A"), a);
    EXPECT_EQ(find(0, 0, u"A"), a);
}

TEST_F(DocumentServerFind, FailsPastTheLastChild) {
    ULONG root = create(0, u"R");
    ULONG a = create(root, u"A");
    ULONG node = 77;
    EXPECT_EQ(server->GetChild(root, 1, &node), DOCSERVER_E_NOTFOUND);
    EXPECT_EQ(node, 0u);
    node = 77;
    EXPECT_EQ(server->GetChild(root, -1, &node), DOCSERVER_E_INVALIDARG);
    EXPECT_EQ(node, 0u);
    EXPECT_EQ(server->GetChild(a, 0, &node), DOCSERVER_E_NOTFOUND);
    ULONG b = create(root, u"B");
    EXPECT_EQ(child(root, 1), b);
}

TEST_F(DocumentServerFind, FindsAnElementAppendedAfterAWalkRanOut) {
    ULONG root = create(0, u"R");
    create(root, u"A");
    ULONG node = 0;
    EXPECT_EQ(server->FindElement(root, 1, &node, make_bstr(u"A").get()), DOCSERVER_E_NOTFOUND);
    ULONG second = create(root, u"A");
    EXPECT_EQ(find(root, 1, u"A"), second);
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

// Something that replaces the document, and which handles it must retire.
struct DocumentReplacement {
    const char* name;
    std::function<void(IDocumentServer&)> replace;
    friend void PrintTo(const DocumentReplacement& replacement, std::ostream* out) { *out << replacement.name; }
};

class DocumentServerHandles : public DocumentServerTest, public ::testing::WithParamInterface<DocumentReplacement> {};

TEST_P(DocumentServerHandles, GoStaleWhenTheDocumentIsReplaced) {
    ULONG root = create(0, u"R");
    ULONG a = create(root, u"A");
    set_attribute(a, u"N", u"v");
    ULONG b = create(a, u"B");
    GetParam().replace(*server.get());

    ULONG node = 77;
    LONG count = 77;
    unique_bstr text;
    unique_bstr name = make_bstr(u"A");
    for (ULONG stale : {root, a, b}) {
        EXPECT_EQ(server->CreateElement(stale, &node, name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(node, 0u);
        EXPECT_EQ(server->SetAttribute(stale, name.get(), name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->SetText(stale, name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(server->AppendIndent(stale, 1), DOCSERVER_E_BADHANDLE);
        node = 77;
        EXPECT_EQ(server->FindElement(stale, 0, &node, name.get()), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(node, 0u);
        EXPECT_EQ(server->GetChildCount(stale, &count), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(count, 0);
        node = 77;
        EXPECT_EQ(server->GetChild(stale, 0, &node), DOCSERVER_E_BADHANDLE);
        EXPECT_EQ(node, 0u);
        EXPECT_EQ(server->GetText(stale, text.put()), DOCSERVER_E_BADHANDLE);
        EXPECT_FALSE(text);
        EXPECT_EQ(server->GetAttribute(stale, make_bstr(u"N").get(), text.put()), DOCSERVER_E_BADHANDLE);
        EXPECT_FALSE(text);
    }
}

TEST_P(DocumentServerHandles, AreNotReusedByTheNextDocument) {
    std::vector<ULONG> old{create(0, u"R")};
    for (int i = 0; i < 5; ++i) old.push_back(create(old[0], u"A"));
    GetParam().replace(*server.get());
    ASSERT_EQ(load(u"<R><A/><A/><A/><A/><A/><A/><A/></R>"), DOCSERVER_S_OK);
    for (LONG i = 0; i < 7; ++i) {
        ULONG node = find(0, i, u"A");
        for (ULONG stale : old) EXPECT_NE(node, stale) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, DocumentServerHandles,
    ::testing::Values(DocumentReplacement{"NewDocument",
                                          [](IDocumentServer& s) { ASSERT_EQ(s.NewDocument(), DOCSERVER_S_OK); }},
                      DocumentReplacement{"LoadXML",
                                          [](IDocumentServer& s) {
                                              ASSERT_EQ(s.LoadXML(make_bstr(u"<R><A N='v'><B/></A></R>").get()),
                                                        DOCSERVER_S_OK);
                                          }},
                      DocumentReplacement{"FailedLoadXML",
                                          [](IDocumentServer& s) {
                                              ASSERT_EQ(s.LoadXML(make_bstr(u"<R>").get()), DOCSERVER_E_MALFORMED);
                                          }},
                      DocumentReplacement{"ResetAndInitialize",
                                          [](IDocumentServer& s) {
                                              ASSERT_EQ(s.Reset(), DOCSERVER_S_OK);
                                              ASSERT_EQ(s.Initialize(), DOCSERVER_S_OK);
                                          }}),
    [](const ::testing::TestParamInfo<DocumentReplacement>& info) { return std::string(info.param.name); });

TEST_F(DocumentServerBuild, RefusesHandlesItNeverIssued) {
    ULONG root = create(0, u"R");
    LONG count = 77;
    for (ULONG unknown : {0u, root + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(server->GetChildCount(unknown, &count), DOCSERVER_E_BADHANDLE) << unknown;
        EXPECT_EQ(server->AppendIndent(unknown, 0), DOCSERVER_E_BADHANDLE) << unknown;
    }
    EXPECT_EQ(count, 0);
}

using DocumentServerText = DocumentServerTest;

TEST_F(DocumentServerText, JoinsTheElementsOwnTextAndCdata) {
    ASSERT_EQ(load(u"<D><R>a<![CDATA[<b>]]>c<X>not this</X>d</R></D>"), DOCSERVER_S_OK);
    ULONG r = find(0, 0, u"R");
    EXPECT_EQ(text(r), u"a<b>cd");
    EXPECT_EQ(text(find(r, 0, u"X")), u"not this");
}

TEST_F(DocumentServerText, GivesTheWhitespaceBetweenChildren) {
    ULONG root = create(0, u"R");
    indent(root, 1);
    create(root, u"A");
    indent(root, 0);
    EXPECT_EQ(text(root), u"\n\t\n");
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
