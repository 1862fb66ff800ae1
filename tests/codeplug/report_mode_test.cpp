// Report mode asks the resource manager for every field. This program puts
// its own GetFieldName and TranslateChoice in place of the library's, as a
// host may, to watch what the export does with their answers.

#include "resourcemanager/resourcemanager.h"
#include "tests/codeplug/conversion_fixture.h"

namespace {

struct ResourceScript {
    LONG nameFailsFor = -1;
    LONG translationFailsFor = -1;
    HRESULT translationFailure = static_cast<HRESULT>(0x80070057);
    LONG controlsFor = -1;  // its name and text hold characters XML forbids
    int nameCalls = 0;
    int translateCalls = 0;
};
ResourceScript resources;

}  // namespace

extern "C" HRESULT GetFieldName(LONG id, VARIANT* language, VARIANT* name) {
    ++resources.nameCalls;
    if (id == resources.nameFailsFor || language->vt != VT_BSTR) return E_INVALIDARG;
    std::u16string text = id == resources.controlsFor ? u"A\x01" "B\uFFFF" : u"Name " + to_wide(std::to_string(id));
    name->vt = VT_BSTR;
    name->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

extern "C" HRESULT TranslateChoice(LONG id, VARIANT* english, VARIANT* value, VARIANT*, VARIANT* text) {
    ++resources.translateCalls;
    if (id == resources.translationFailsFor) return resources.translationFailure;
    EXPECT_EQ(std::u16string(english->bstrVal), u"English");
    std::u16string shown = id == resources.controlsFor
                               ? u"x\x1Fy\tz\x0B"
                               : u"[" + std::u16string(value->bstrVal, SysStringLen(value->bstrVal)) + u"]";
    text->vt = VT_BSTR;
    text->bstrVal = SysAllocStringLen(shown.data(), static_cast<UINT>(shown.size()));
    return S_OK;
}

namespace {

class ReportMode : public Conversion {
protected:
    void SetUp() override {
        Conversion::SetUp();
        resources = ResourceScript{};
    }
};

TEST_F(ReportMode, WritesDisplayNamesAndShownValuesInsteadOfIdsAndTypes) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::Report), XMLXSL_S_OK);
    EXPECT_NE(text.find("<RRW_BLOCK ID=\"1\">\n\t\t\t<RRW_RGNSIZE DISPLAY_NAME=\"Name 100\">[4096]</RRW_RGNSIZE>"),
              std::string::npos);
    EXPECT_NE(text.find("<ALIAS DISPLAY_NAME=\"Name 424\">[Fire &amp; Rescue &lt;1&gt;]</ALIAS>"), std::string::npos);
    EXPECT_EQ(text.find("TYPE="), std::string::npos);
    EXPECT_EQ(resources.nameCalls, 6);
    EXPECT_EQ(resources.translateCalls, 6);
}

TEST_F(ReportMode, FallsBackToTheTableNameWhenNoDisplayNameComes) {
    resources.nameFailsFor = field::ALIAS;
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::Report), XMLXSL_S_OK);
    EXPECT_NE(text.find("<ALIAS DISPLAY_NAME=\"ALIAS\">[Fire"), std::string::npos);
}

TEST_F(ReportMode, EndsWithTheTranslatorsFailure) {
    resources.translationFailsFor = field::PA_PERSINDEX;
    for (HRESULT failure : {static_cast<HRESULT>(0x80070057), static_cast<HRESULT>(0x80040400)}) {
        resources.translationFailure = failure;
        std::string text;
        EXPECT_EQ(exportText(codeplug.get(), text, ExportMode::Report), static_cast<DWORD>(failure));
        EXPECT_EQ(text, "");
    }
}

// Such characters would make the report's XML unreadable; they show as
// U+FFFD, which code page 1252 writes as "?", while tab stays a tab.
TEST_F(ReportMode, ShowsCharactersThatXmlForbidsAsReplacementCharacters) {
    resources.controlsFor = field::RRW_RGNSIZE;
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::Report), XMLXSL_S_OK);
    EXPECT_NE(text.find("<RRW_RGNSIZE DISPLAY_NAME=\"A?B?\">x?y\tz?</RRW_RGNSIZE>"), std::string::npos) << text;
    EXPECT_EQ(text.find("&#"), std::string::npos);
}

TEST_F(ReportMode, FileModeNeverAsksTheResourceManager) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::File), XMLXSL_S_OK);
    EXPECT_EQ(resources.nameCalls, 0);
    EXPECT_EQ(resources.translateCalls, 0);
}

}  // namespace
