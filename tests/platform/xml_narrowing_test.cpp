#include "platform/xml_narrowing.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/codepage.h"

using namespace std::string_view_literals;

namespace {

struct NarrowingCase {
    const char* label;
    UINT page;
    std::u16string_view xml;
    xml_narrowing result;
    std::string_view narrowed;  // when converted
};

class TryToAnsiXml : public ::testing::TestWithParam<NarrowingCase> {
protected:
    void TearDown() override { EXPECT_TRUE(SetAnsiCodePageForTesting(1252)); }
};

TEST_P(TryToAnsiXml, WritesReferencesOnlyInTextAndAttributeValues) {
    const NarrowingCase& test = GetParam();
    ASSERT_TRUE(SetAnsiCodePageForTesting(test.page));
    std::string out = "stale";
    EXPECT_EQ(try_to_ansi_xml(test.xml.data(), test.xml.size(), out), test.result);
    if (test.result == xml_narrowing::converted) EXPECT_EQ(out, test.narrowed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TryToAnsiXml,
    ::testing::Values(
        NarrowingCase{"FitsWhole", 1252, u"<A B=\"\u20AC\">caf\u00E9</A>", xml_narrowing::converted,
                      "<A B=\"\x80\">caf\xE9</A>"},
        NarrowingCase{"Empty", 1252, u"", xml_narrowing::converted, ""},
        NarrowingCase{"TextAndValueGetReferences", 1252, u"<A B=\"\u0141\" C='\u0142'>\u0141\u00F3d\u017A</A>",
                      xml_narrowing::converted, "<A B=\"&#x141;\" C='&#x142;'>&#x141;\xF3" "d&#x17A;</A>"},
        NarrowingCase{"SurrogatePairIsOneReference", 1252, u"<A>\U0001F692 \u2713</A>", xml_narrowing::converted,
                      "<A>&#x1F692; &#x2713;</A>"},
        NarrowingCase{"DoubleBytePageKeepsWhatItHolds", 932, u"<A>\u65E5\u0141</A>", xml_narrowing::converted,
                      "<A>\x93\xFA&#x141;</A>"},
        NarrowingCase{"AfterCommentAndSectionTextAgain", 1252,
                      u"<?xml version=\"1.0\"?><!-- c --><A><![CDATA[x]]>\u0141<B/></A>", xml_narrowing::converted,
                      "<?xml version=\"1.0\"?><!-- c --><A><![CDATA[x]]>&#x141;<B/></A>"},
        NarrowingCase{"ElementName", 1252, u"<\u0141/>", xml_narrowing::outside_text, ""},
        NarrowingCase{"AttributeName", 1252, u"<A \u0141=\"1\"/>", xml_narrowing::outside_text, ""},
        NarrowingCase{"Comment", 1252, u"<A><!-- \u0141 --></A>", xml_narrowing::outside_text, ""},
        NarrowingCase{"CdataSection", 1252, u"<A><![CDATA[\u0141]]></A>", xml_narrowing::outside_text, ""},
        NarrowingCase{"Instruction", 1252, u"<?pi \u0141?><A/>", xml_narrowing::outside_text, ""},
        NarrowingCase{"LoneHighSurrogate", 1252, u"<A>\xD83D</A>", xml_narrowing::lone_surrogate, ""},
        NarrowingCase{"LoneLowSurrogateThatFitsNowhere", 1252, u"<A>\xDE92</A>", xml_narrowing::lone_surrogate, ""},
        NarrowingCase{"Nul", 1252, u"<A>a\0b</A>"sv, xml_narrowing::nul_character, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(IsXmlText, RefusesNulAndLoneSurrogates) {
    EXPECT_TRUE(IsXmlText(u"a\U0001F692", 3));
    EXPECT_TRUE(IsXmlText(nullptr, 0));
    EXPECT_FALSE(IsXmlText(u"a\0b", 3));
    EXPECT_FALSE(IsXmlText(u"\xD83D", 1));
    EXPECT_FALSE(IsXmlText(u"\xDE92x", 2));
}

}  // namespace
