#include "resourcemanager/resourcemanager.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>

#include "codeplug/layout.h"
#include "platform/fault_injection.h"
#include "platform/unique_variant.h"

namespace {

unique_variant text_variant(std::u16string_view text) {
    unique_variant variant;
    variant.get()->vt = VT_BSTR;
    variant.get()->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return variant;
}

unique_variant number_variant(LONG number) {
    unique_variant variant;
    variant.get()->vt = VT_I4;
    variant.get()->lVal = number;
    return variant;
}

std::u16string text_of(const unique_variant& variant) {
    return {variant.get()->bstrVal, SysStringLen(variant.get()->bstrVal)};
}

std::u16string widened(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

struct NameCase {
    LONG id;
    std::u16string_view language;
    std::u16string_view name;
};

class GetFieldNameNames : public testing::TestWithParam<NameCase> {};

TEST_P(GetFieldNameNames, GivesTheNameOfTheLanguage) {
    unique_variant language = text_variant(GetParam().language);
    unique_variant name;
    ASSERT_EQ(GetFieldName(GetParam().id, language.get(), name.get()), S_OK);
    ASSERT_EQ(name.vt(), VT_BSTR);
    EXPECT_EQ(text_of(name), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Fields, GetFieldNameNames,
                         testing::Values(NameCase{field::CPBLOCK_LOWBOUND, u"English", u"Codeplug block lower bound"},
                                         NameCase{field::ALIAS, u"English", u"Alias"},
                                         NameCase{field::ALIAS, u"German", u"Alias"},
                                         NameCase{field::RC_MICGAIN, u"English", u"Microphone gain"},
                                         NameCase{field::RC_MICGAIN, u"German", u"Mikrofonverst\u00E4rkung"},
                                         NameCase{field::RRW_RGNSIZE, u"English", u"Region size"},
                                         NameCase{field::CP_RXFREQ, u"English", u"Receive frequency"},
                                         NameCase{field::CP_RXFREQ, u"German", u"Empfangsfrequenz"},
                                         NameCase{field::CP_TXFREQ, u"English", u"Transmit frequency"},
                                         NameCase{field::CP_TXFREQ, u"German", u"Sendefrequenz"},
                                         NameCase{field::PA_ZONEALIAS, u"English", u"Zone alias"},
                                         NameCase{field::RC_VOXMICGAIN, u"English", u"VOX microphone gain"},
                                         NameCase{field::RC_VOXMICGAIN, u"German", u"VOX-Mikrofonverst\u00E4rkung"}));

INSTANTIATE_TEST_SUITE_P(LanguageSpellings, GetFieldNameNames,
                         testing::Values(NameCase{field::RC_MICGAIN, u"ENGLISH", u"Microphone gain"},
                                         NameCase{field::RC_MICGAIN, u"english", u"Microphone gain"},
                                         NameCase{field::RC_MICGAIN, u"gErMaN", u"Mikrofonverst\u00E4rkung"},
                                         NameCase{field::RC_MICGAIN, u"Deutsch", u"Mikrofonverst\u00E4rkung"},
                                         NameCase{field::RC_MICGAIN, u"DEUTSCH", u"Mikrofonverst\u00E4rkung"}));

TEST(GetFieldName, GivesUmlautsAndSharpSAsSingleUtf16Units) {
    unique_variant german = text_variant(u"German");
    unique_variant name;
    ASSERT_EQ(GetFieldName(field::RRW_RGNSIZE, german.get(), name.get()), S_OK);
    // "Bereichsgröße": ö and ß, one code unit each.
    ASSERT_EQ(SysStringLen(name.get()->bstrVal), 13u);
    EXPECT_EQ(name.get()->bstrVal[10], char16_t{0x00F6});
    EXPECT_EQ(name.get()->bstrVal[11], char16_t{0x00DF});
}

class GetFieldNameSweep : public testing::TestWithParam<std::u16string_view> {};

// Catches rows that fell back to table names or carry stray formatting.
TEST_P(GetFieldNameSweep, GivesEveryIdAReadableName) {
    unique_variant language = text_variant(GetParam());
    for (LONG id = 0; id < kFieldNameCount; ++id) {
        SCOPED_TRACE(FieldName(id));
        unique_variant name;
        ASSERT_EQ(GetFieldName(id, language.get(), name.put()), S_OK);
        ASSERT_EQ(name.vt(), VT_BSTR);
        std::u16string text = text_of(name);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text, widened(FieldName(id)));
        EXPECT_EQ(text.find(u'_'), std::u16string::npos);
        EXPECT_EQ(text.find(u"  "), std::u16string::npos);
        EXPECT_NE(text.front(), u' ');
        EXPECT_NE(text.back(), u' ');
        EXPECT_FALSE(text.front() >= u'a' && text.front() <= u'z');
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, GetFieldNameSweep, testing::Values(u"English", u"German"));

class GetFieldNameOutsideTheTable : public testing::TestWithParam<LONG> {};

TEST_P(GetFieldNameOutsideTheTable, FailsWithBadIndexAndAnEmptyName) {
    unique_variant language = text_variant(u"English");
    unique_variant name = text_variant(u"old");
    EXPECT_EQ(GetFieldName(GetParam(), language.get(), name.get()), DISP_E_BADINDEX);
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

INSTANTIATE_TEST_SUITE_P(Ids, GetFieldNameOutsideTheTable, testing::Values(-1, 471, LONG{INT32_MIN}, LONG{INT32_MAX}));

class GetFieldNameUnknownLanguage : public testing::TestWithParam<std::u16string_view> {};

TEST_P(GetFieldNameUnknownLanguage, FailsWithAnEmptyName) {
    unique_variant language = text_variant(GetParam());
    unique_variant name = text_variant(u"old");
    EXPECT_EQ(GetFieldName(field::ALIAS, language.get(), name.get()), RESOURCEMANAGER_E_UNKNOWNLANGUAGE);
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

INSTANTIATE_TEST_SUITE_P(Names, GetFieldNameUnknownLanguage,
                         testing::Values(u"French", u"", u"Englis", u"Englishx", u"English ", u" German",
                                         std::u16string_view(u"English\0", 8), std::u16string_view(u"Deutsch\0X", 9),
                                         u"ENGL\u0130SH", u"\u00C9nglish"));

TEST(GetFieldName, TakesANullLanguageStringForAnUnknownLanguage) {
    unique_variant language;
    language.get()->vt = VT_BSTR;
    unique_variant name;
    EXPECT_EQ(GetFieldName(field::ALIAS, language.get(), name.get()), RESOURCEMANAGER_E_UNKNOWNLANGUAGE);
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

TEST(GetFieldName, RejectsLanguageVariantsThatHoldNoString) {
    unique_variant name;
    unique_variant empty;
    EXPECT_EQ(GetFieldName(field::ALIAS, empty.get(), name.get()), E_INVALIDARG);
    unique_variant number = number_variant(1);
    EXPECT_EQ(GetFieldName(field::ALIAS, number.get(), name.get()), E_INVALIDARG);
    unique_variant target = text_variant(u"English");
    VARIANT byReference{};
    byReference.vt = VT_BSTR | VT_BYREF;
    byReference.pbstrVal = &target.get()->bstrVal;
    EXPECT_EQ(GetFieldName(field::ALIAS, &byReference, name.get()), E_INVALIDARG);
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

TEST(GetFieldName, RejectsNullPointersAndStillClearsTheName) {
    unique_variant language = text_variant(u"English");
    EXPECT_EQ(GetFieldName(field::ALIAS, language.get(), nullptr), E_POINTER);
    unique_variant name = text_variant(u"old");
    EXPECT_EQ(GetFieldName(field::ALIAS, nullptr, name.get()), E_POINTER);
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

TEST(GetFieldName, ChecksPointersThenLanguageTypeThenLanguageThenId) {
    unique_variant name;
    unique_variant number = number_variant(1);
    unique_variant french = text_variant(u"French");
    EXPECT_EQ(GetFieldName(-1, nullptr, name.get()), E_POINTER);
    EXPECT_EQ(GetFieldName(-1, number.get(), name.get()), E_INVALIDARG);
    EXPECT_EQ(GetFieldName(-1, french.get(), name.get()), RESOURCEMANAGER_E_UNKNOWNLANGUAGE);
}

TEST(GetFieldName, ReplacesWhatTheNameHeld) {
    unique_variant language = text_variant(u"English");
    unique_variant name = text_variant(u"old");
    ASSERT_EQ(GetFieldName(field::ALIAS, language.get(), name.get()), S_OK);
    EXPECT_EQ(text_of(name), u"Alias");
}

TEST(GetFieldName, LeavesANameOfUnknownTypeAlone) {
    unique_variant language = text_variant(u"English");
    VARIANT name{};
    name.vt = 0x7FFF;
    name.lVal = 42;
    EXPECT_EQ(GetFieldName(field::ALIAS, language.get(), &name), DISP_E_BADVARTYPE);
    EXPECT_EQ(name.vt, 0x7FFF);
    EXPECT_EQ(name.lVal, 42);
}

TEST(GetFieldName, ReportsOutOfMemoryWithAnEmptyName) {
    unique_variant language = text_variant(u"English");
    unique_variant name = text_variant(u"old");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(GetFieldName(field::ALIAS, language.get(), name.get()), E_OUTOFMEMORY);
    EXPECT_FALSE(OleAllocationFailurePending());
    EXPECT_EQ(name.vt(), VT_EMPTY);
}

struct ChoiceCase {
    LONG id;
    std::u16string_view value;
    std::u16string_view language;
    std::u16string_view text;
};

class TranslateChoiceTexts : public testing::TestWithParam<ChoiceCase> {};

TEST_P(TranslateChoiceTexts, GivesTheTextToShow) {
    unique_variant english = text_variant(u"English");
    unique_variant value = text_variant(GetParam().value);
    unique_variant language = text_variant(GetParam().language);
    unique_variant text;
    ASSERT_EQ(TranslateChoice(GetParam().id, english.get(), value.get(), language.get(), text.get()), S_OK);
    ASSERT_EQ(text.vt(), VT_BSTR);
    EXPECT_EQ(text_of(text), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(OnOffWords, TranslateChoiceTexts,
                         testing::Values(ChoiceCase{field::RC_MICAGCEN, u"0", u"English", u"Off"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"English", u"On"},
                                         ChoiceCase{field::RC_MICAGCEN, u"0", u"German", u"Aus"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"German", u"Ein"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"deutsch", u"Ein"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"ENGLISH", u"On"},
                                         ChoiceCase{field::RC_FPARFTESTEN, u"1", u"English", u"On"},
                                         ChoiceCase{field::DR_RTCDISPONOFF, u"0", u"English", u"Off"},
                                         ChoiceCase{field::CP_RXONLY, u"1", u"German", u"Ein"},
                                         ChoiceCase{field::CP_TOCEN, u"0", u"German", u"Aus"}));

INSTANTIATE_TEST_SUITE_P(UnchangedValues, TranslateChoiceTexts,
                         testing::Values(ChoiceCase{field::RC_MICAGCEN, u"2", u"English", u"2"},
                                         ChoiceCase{field::RC_MICAGCEN, u"", u"English", u""},
                                         ChoiceCase{field::RC_MICAGCEN, u"01", u"English", u"01"},
                                         ChoiceCase{field::RC_MICAGCEN, u" 1", u"German", u" 1"},
                                         ChoiceCase{field::RC_MICAGCEN, u"On", u"German", u"On"},
                                         ChoiceCase{field::RC_MICGAIN, u"1", u"English", u"1"},
                                         ChoiceCase{field::RC_MAXMSGLEN, u"0", u"English", u"0"},
                                         ChoiceCase{field::ALIAS, u"Z\u00FCrich 1", u"German", u"Z\u00FCrich 1"},
                                         ChoiceCase{-1, u"1", u"English", u"1"}, ChoiceCase{471, u"0", u"German", u"0"},
                                         ChoiceCase{field::RC_MICAGCEN, u"1", u"French", u"1"},
                                         ChoiceCase{field::RC_MICAGCEN, u"0", u"", u"0"}));

TEST(TranslateChoice, KeepsEmbeddedNuls) {
    unique_variant english = text_variant(u"English");
    unique_variant language = text_variant(u"English");
    for (std::u16string_view value : {std::u16string_view(u"1\0", 2), std::u16string_view(u"a\0b", 3)}) {
        unique_variant shown = text_variant(value);
        unique_variant text;
        ASSERT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), shown.get(), language.get(), text.get()), S_OK);
        EXPECT_EQ(text_of(text), value);
    }
}

TEST(TranslateChoice, KeepsANullValueStringNull) {
    unique_variant english = text_variant(u"English");
    unique_variant value;
    value.get()->vt = VT_BSTR;
    unique_variant language = text_variant(u"English");
    unique_variant text = text_variant(u"old");
    ASSERT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), value.get(), language.get(), text.get()), S_OK);
    EXPECT_EQ(text.vt(), VT_BSTR);
    EXPECT_EQ(text.get()->bstrVal, nullptr);
}

TEST(TranslateChoice, DoesNotReadTheEnglishVariant) {
    unique_variant notEnglish = number_variant(7);
    unique_variant value = text_variant(u"1");
    unique_variant language = text_variant(u"German");
    unique_variant text;
    ASSERT_EQ(TranslateChoice(field::RC_MICAGCEN, notEnglish.get(), value.get(), language.get(), text.get()), S_OK);
    EXPECT_EQ(text_of(text), u"Ein");
}

class TranslateChoiceNullPointer : public testing::TestWithParam<int> {};

TEST_P(TranslateChoiceNullPointer, FailsAndClearsTheText) {
    unique_variant english = text_variant(u"English");
    unique_variant value = text_variant(u"1");
    unique_variant language = text_variant(u"English");
    unique_variant text = text_variant(u"old");
    VARIANT* arguments[] = {english.get(), value.get(), language.get(), text.get()};
    arguments[GetParam()] = nullptr;
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, arguments[0], arguments[1], arguments[2], arguments[3]), E_POINTER);
    EXPECT_EQ(text.vt(), GetParam() == 3 ? VT_BSTR : VT_EMPTY);
}

INSTANTIATE_TEST_SUITE_P(EachArgument, TranslateChoiceNullPointer, testing::Range(0, 4));

TEST(TranslateChoice, RejectsAValueOrLanguageThatHoldsNoString) {
    unique_variant english = text_variant(u"English");
    unique_variant value = text_variant(u"1");
    unique_variant language = text_variant(u"English");
    unique_variant number = number_variant(1);
    unique_variant text = text_variant(u"old");
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), number.get(), language.get(), text.get()),
              E_INVALIDARG);
    EXPECT_EQ(text.vt(), VT_EMPTY);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), value.get(), number.get(), text.get()), E_INVALIDARG);
    VARIANT byReference{};
    byReference.vt = VT_BSTR | VT_BYREF;
    byReference.pbstrVal = &value.get()->bstrVal;
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, english.get(), &byReference, language.get(), text.get()),
              E_INVALIDARG);
    EXPECT_EQ(TranslateChoice(field::RC_MICAGCEN, nullptr, number.get(), number.get(), text.get()), E_POINTER);
}

TEST(TranslateChoice, ReadsTheValueBeforeItClearsTheSameVariantAsText) {
    unique_variant english = text_variant(u"English");
    unique_variant language = text_variant(u"German");
    unique_variant valueAndText = text_variant(u"1");
    ASSERT_EQ(
        TranslateChoice(field::RC_MICAGCEN, english.get(), valueAndText.get(), language.get(), valueAndText.get()),
        S_OK);
    EXPECT_EQ(text_of(valueAndText), u"Ein");
}

class TranslateChoiceOutOfMemory : public testing::TestWithParam<LONG> {};

TEST_P(TranslateChoiceOutOfMemory, FailsWithAnEmptyText) {
    unique_variant english = text_variant(u"English");
    unique_variant value = text_variant(u"1");
    unique_variant language = text_variant(u"English");
    unique_variant text = text_variant(u"old");
    FailOleAllocationsAfter(0);
    EXPECT_EQ(TranslateChoice(GetParam(), english.get(), value.get(), language.get(), text.get()), E_OUTOFMEMORY);
    EXPECT_FALSE(OleAllocationFailurePending());
    EXPECT_EQ(text.vt(), VT_EMPTY);
}

// An on/off field makes a word, any other field copies the value.
INSTANTIATE_TEST_SUITE_P(WordAndCopy, TranslateChoiceOutOfMemory,
                         testing::Values(LONG{field::RC_MICAGCEN}, LONG{field::RC_MICGAIN}));

}  // namespace
