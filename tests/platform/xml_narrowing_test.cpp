#include "platform/xml_narrowing.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

#include "platform/codepage.h"

using namespace std::string_view_literals;

// A character that the page lacks becomes a reference in character data and
// in attribute values, whatever markup came before; a surrogate pair is one
// reference. Anywhere else the conversion refuses, as it does for a lone
// surrogate and for U+0000, which IsXmlText refuses as well.
TEST(TryToAnsiXml, WritesReferencesOnlyInTextAndAttributeValues) {
    const std::tuple<UINT, std::u16string_view, xml_narrowing, std::string_view> cases[] = {
        {1252, u"<?x?><!-- c --><A B=\"\u0141\u20AC\" C='\u0142'><![CDATA[x]]>\u0141\U0001F692</A>",
         xml_narrowing::converted, "<?x?><!-- c --><A B=\"&#x141;\x80\" C='&#x142;'><![CDATA[x]]>&#x141;&#x1F692;</A>"},
        {932, u"<A>\u65E5\u0141</A>", xml_narrowing::converted, "<A>\x93\xFA&#x141;</A>"},
        {1252, u"<\u0141/>", xml_narrowing::outside_text, ""},
        {1252, u"<A><!-- \u0141 --></A>", xml_narrowing::outside_text, ""},
        {1252, u"<A><![CDATA[\u0141]]></A>", xml_narrowing::outside_text, ""},
        {1252, u"<A>\xD83D</A>", xml_narrowing::lone_surrogate, ""},
        {1252, u"<A>a\0b</A>"sv, xml_narrowing::nul_character, ""}};
    for (const auto& [page, xml, result, narrowed] : cases) {
        EXPECT_TRUE(SetAnsiCodePageForTesting(page));
        std::string out = "stale";
        EXPECT_EQ(try_to_ansi_xml(xml.data(), xml.size(), out), result) << page << " " << static_cast<int>(result);
        EXPECT_EQ(result == xml_narrowing::converted ? out : "", narrowed);
    }
    EXPECT_TRUE(SetAnsiCodePageForTesting(1252));
    // Long runs are passed a block at a time: the special unit stands at
    // each place of a block, and a pair straddles two blocks.
    for (std::size_t at = 0; at < 40; ++at) {
        std::u16string text(48, u'a');
        text[at] = u'\0';
        EXPECT_FALSE(IsXmlText(text.data(), text.size())) << "U+0000 at " << at;
        text[at] = u'\xDE92';
        EXPECT_FALSE(IsXmlText(text.data(), text.size())) << "a low surrogate alone at " << at;
        text[at] = u'\xD83D';
        EXPECT_FALSE(IsXmlText(text.data(), text.size())) << "a high surrogate alone at " << at;
        text[at + 1] = u'\xDE92';
        EXPECT_TRUE(IsXmlText(text.data(), text.size())) << "a pair at " << at;
    }
    EXPECT_TRUE(IsXmlText(u"a\U0001F692", 3));
    EXPECT_FALSE(IsXmlText(u"a\0b", 3));
    EXPECT_FALSE(IsXmlText(u"\xDE92x", 2));
    EXPECT_FALSE(IsXmlText(u"x\xD83D", 2));
}
