#include "resourcemanager/resourcemanager.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "codeplug/layout.h"
#include "platform/fault_injection.h"
#include "platform/unique_variant.h"

namespace {

std::u16string text_of(const unique_variant& variant) {
    return {variant.get()->bstrVal, SysStringLen(variant.get()->bstrVal)};
}

struct NameCase {
    LONG id;
    std::u16string_view language;
    HRESULT status;
    std::u16string_view name = {};
};

class GetFieldNameCases : public testing::TestWithParam<NameCase> {};

// The language is matched in any ASCII case, and checked before the id.
TEST_P(GetFieldNameCases, GivesTheNameInTheLanguageOrFailsWithAnEmptyName) {
    unique_variant language = make_bstr_variant(GetParam().language);
    unique_variant name = make_bstr_variant(u"old");
    EXPECT_EQ(GetFieldName(GetParam().id, language.get(), name.get()), GetParam().status);
    EXPECT_EQ(name.vt(), GetParam().status == S_OK ? VT_BSTR : VT_EMPTY);
    EXPECT_EQ(name.vt() == VT_BSTR ? text_of(name) : u"", GetParam().name);
}

constexpr HRESULT kUnknown = RESOURCEMANAGER_E_UNKNOWNLANGUAGE;

INSTANTIATE_TEST_SUITE_P(Names, GetFieldNameCases,
                         testing::Values(NameCase{0, u"English", S_OK, u"Codeplug block lower bound"},
                                         NameCase{470, u"German", S_OK, u"VOX-Mikrofonverst\u00E4rkung"},
                                         NameCase{field::CP_RXFREQ, u"gErMaN", S_OK, u"Empfangsfrequenz"},
                                         NameCase{field::CP_TXFREQ, u"DEUTSCH", S_OK, u"Sendefrequenz"},

                                         NameCase{471, u"German", DISP_E_BADINDEX}, NameCase{-1, u"French", kUnknown},
                                         NameCase{field::ALIAS, std::u16string_view(u"English\0", 8), kUnknown},
                                         NameCase{field::ALIAS, u"ENGL\u0130SH", kUnknown}));

// A null pointer first, then a language variant that holds no BSTR (a null
// BSTR is an unknown language); a name of a type it cannot clear stays.
TEST(GetFieldName, ChecksPointersThenTheLanguagesTypeAndClearsTheName) {
    unique_variant english = make_bstr_variant(u"English"), name = make_bstr_variant(u"old");
    EXPECT_EQ(GetFieldName(field::ALIAS, english.get(), nullptr), E_POINTER);
    EXPECT_EQ(GetFieldName(-1, nullptr, name.get()), E_POINTER);
    EXPECT_EQ(name.vt(), VT_EMPTY);
    EXPECT_EQ(GetFieldName(-1, unique_variant().get(), name.get()), E_INVALIDARG);
    unique_variant null;
    null.get()->vt = VT_BSTR;
    EXPECT_EQ(GetFieldName(field::ALIAS, null.get(), name.get()), kUnknown);
    VARIANT unknownType{};
    unknownType.vt = 0x7FFF;
    EXPECT_EQ(GetFieldName(field::ALIAS, english.get(), &unknownType), DISP_E_BADVARTYPE);
    EXPECT_EQ(unknownType.vt, 0x7FFF);
}

struct ChoiceCase {
    LONG id;
    std::u16string_view value;
    std::u16string_view language;
    std::u16string_view text;
};

class TranslateChoiceCases : public testing::TestWithParam<ChoiceCase> {};

// "0" and "1" of an on/off field become words of the language; every other
// value, field or language comes back as it is.
TEST_P(TranslateChoiceCases, GivesTheTextToShow) {
    unique_variant english = make_bstr_variant(u"English"), value = make_bstr_variant(GetParam().value);
    unique_variant language = make_bstr_variant(GetParam().language), text;
    ASSERT_EQ(TranslateChoice(GetParam().id, english.get(), value.get(), language.get(), text.get()), S_OK);
    ASSERT_EQ(text.vt(), VT_BSTR);
    EXPECT_EQ(text_of(text), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, TranslateChoiceCases,
                         testing::Values(ChoiceCase{field::RC_MICAGCEN, u"0", u"English", u"Off"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"ENGLISH", u"On"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"deutsch", u"Ein"},
                                         ChoiceCase{field::CP_TOCEN, u"0", u"German", u"Aus"},
                                         ChoiceCase{field::RC_MICAGCEN, std::u16string_view(u"1\0", 2), u"English",
                                                    std::u16string_view(u"1\0", 2)},
                                         ChoiceCase{field::RC_MICGAIN, u"1", u"English", u"1"},
                                         ChoiceCase{471, u"0", u"German", u"0"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"French", u"1"}));

// The English variant is never read; the value is read before the text is
// cleared, so both may be one variant; a null value BSTR gives a null text.
TEST(TranslateChoice, ChecksPointersThenValueAndLanguageTypesAndClearsTheText) {
    unique_variant english = make_bstr_variant(u"English"), value = make_bstr_variant(u"1");
    unique_variant language = make_bstr_variant(u"German"), empty, text = make_bstr_variant(u"old");
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), nullptr, language.get(), text.get()), E_POINTER);
    EXPECT_EQ(text.vt(), VT_EMPTY);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), value.get(), language.get(), nullptr), E_POINTER);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, nullptr, empty.get(), empty.get(), text.get()), E_POINTER);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), empty.get(), language.get(), text.get()),
              E_INVALIDARG);
    ASSERT_EQ(TranslateChoice(field::RC_MICAGCEN, empty.get(), value.get(), language.get(), value.get()), S_OK);
    EXPECT_EQ(text_of(value), u"Ein");  // read before it was cleared as the text
    value.reset();
    value.get()->vt = VT_BSTR;
    ASSERT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), value.get(), language.get(), text.get()), S_OK);
    EXPECT_EQ(text.vt(), VT_BSTR);
    EXPECT_EQ(text.get()->bstrVal, nullptr);
}

// A name and a word of an on/off field each need a BSTR.
TEST(ResourceManager, ReportsOutOfMemoryWithAnEmptyResult) {
    unique_variant english = make_bstr_variant(u"English"), value = make_bstr_variant(u"1");
    unique_variant result = make_bstr_variant(u"old");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(GetFieldName(field::ALIAS, english.get(), result.get()), E_OUTOFMEMORY);
    EXPECT_EQ(result.vt(), VT_EMPTY);
    result = make_bstr_variant(u"old");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), value.get(), english.get(), result.get()),
              E_OUTOFMEMORY);
    EXPECT_EQ(result.vt(), VT_EMPTY);
}

}  // namespace
