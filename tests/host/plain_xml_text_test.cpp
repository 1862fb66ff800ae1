#include "host/plain_xml_text.h"

#include <gtest/gtest.h>

#include "host/command_error.h"

namespace {

struct PlainCase {
    const char* name;
    std::string bytes;
    // The text after the declaration, or the refusal after "plain.xml: ".
    std::u16string body;
    std::string refusal = "";
};
void PrintTo(const PlainCase& plainCase, std::ostream* out) { *out << plainCase.name; }

std::string declared(const std::string& encoding) { return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n"; }

const std::string kUtf8Saved =
    "\n<A>\xC5\x81\xC3\xB3"
    "d\xC5\xBA</A>";  // "Łódź" in UTF-8
const std::string kSaveIn = "; declare encoding=\"UTF-8\", or save the file in windows-1252";

const PlainCase kCases[] = {
    {"Windows1252",
     declared("windows-1252") + "<A>Stra\xDF"
                                "e \x80</A>",
     u"<A>Stra\u00DFe \u20AC</A>"},
    {"LetterCaseOfTheName", declared("WINDOWS-1250") + "<A>\xA3</A>", u"<A>\u0141</A>"},
    {"Utf8", declared("UTF-8") + "<A>\xC5\x81</A>", u"<A>\u0141</A>"},
    {"Utf8WithoutDeclaration", "<A>\xC5\x81</A>", u"<A>\u0141</A>"},
    {"Utf8WithByteOrderMark", "\xEF\xBB\xBF<A>\xC5\x81</A>", u"<A>\u0141</A>"},
    {"SingleQuotes", "<?xml version='1.0' encoding='Shift_JIS'?><A>\x82\xA0</A>", u"<A>\u3042</A>"},
    {"Utf8UnderAWindowsDeclaration", declared("windows-1252") + kUtf8Saved, u"",
     "line 3 reads as UTF-8 text, but its declaration says windows-1252; if the file is UTF-8, declare "
     "encoding=\"UTF-8\"; if it is windows-1252, save it as UTF-8 and declare that"},
    {"ByteOrderMarkUnderAWindowsDeclaration", "\xEF\xBB\xBF" + declared("windows-1252") + "<A/>", u"",
     "begins with a UTF-8 byte order mark, but its declaration says windows-1252" + kSaveIn},
    {"Windows1252UnderAUtf8Declaration", declared("UTF-8") + "<A>\n\xDF</A>", u"",
     "line 3 is not UTF-8 text, as its declaration says; save the file in UTF-8, or declare the encoding it is "
     "saved in"},
    {"BrokenDoubleByteCharacter", declared("Shift_JIS") + "<A>\x82</A>", u"",
     "line 2 is not Shift_JIS text, as its declaration says; save the file in Shift_JIS, or declare the encoding "
     "it is saved in"},
    {"UnknownEncoding", declared("ISO-8859-2") + "<A/>", u"",
     "declares the encoding \"ISO-8859-2\", which xmlxsl does not read; save it as UTF-8, or in one of "
     "windows-1250 to windows-1258, Shift_JIS, GBK, EUC-KR and Big5, and name that in its declaration"},
};

class PlainXmlText : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainXmlText, ReadsTheDeclaredEncodingOrRefusesTheText) {
    const PlainCase& c = GetParam();
    if (!c.refusal.empty()) {
        try {
            DecodePlainXml(c.bytes, "plain.xml");
            ADD_FAILURE() << "read";
        } catch (const CommandError& refused) {
            EXPECT_EQ(std::string(refused.what()), "plain.xml: " + c.refusal);
        }
        return;
    }
    std::u16string text = DecodePlainXml(c.bytes, "plain.xml");
    EXPECT_EQ(text.substr(text.find(u"<A>")), c.body);
}

INSTANTIATE_TEST_SUITE_P(Texts, PlainXmlText, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });

}  // namespace
