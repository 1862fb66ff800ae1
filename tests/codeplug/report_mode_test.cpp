// Report mode asks the resource manager for every field. This program puts
// its own GetFieldName and TranslateChoice in place of the library's, as a
// host may, to watch what the export does with their answers.

#include "resourcemanager/resourcemanager.h"
#include "tests/codeplug/conversion_fixture.h"

namespace {

struct ResourceScript {
    LONG nameFailsFor = -1;
    LONG translationFailsFor = -1;
    LONG controlsFor = -1;  // its name and text hold characters XML forbids
    int calls = 0;
};
ResourceScript resources;

}  // namespace

extern "C" HRESULT GetFieldName(LONG id, VARIANT* language, VARIANT* name) {
    ++resources.calls;
    if (id == resources.nameFailsFor || language->vt != VT_BSTR) return E_INVALIDARG;
    *name = Bstr(id == resources.controlsFor ? u"A\001B\uFFFF" : u"Name " + to_wide(std::to_string(id)));
    return S_OK;
}

extern "C" HRESULT TranslateChoice(LONG id, VARIANT* english, VARIANT* value, VARIANT*, VARIANT* text) {
    ++resources.calls;
    if (id == resources.translationFailsFor) return E_INVALIDARG;
    EXPECT_EQ(std::u16string(english->bstrVal), u"English");
    *text = Bstr(id == resources.controlsFor ? u"x\x1Fy\tz\x0B" : u"[" + std::u16string(value->bstrVal) + u"]");
    return S_OK;
}

namespace {

class ReportMode : public Conversion {
protected:
    void SetUp() override {
        Conversion::SetUp();
        resources = ResourceScript{};
    }
    std::string text;
};

// Six fields, each named and translated once; file mode asks for nothing.
TEST_F(ReportMode, WritesDisplayNamesAndShownValuesInsteadOfIdsAndTypes) {
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::Report), XMLXSL_S_OK);
    EXPECT_NE(text.find("<RRW_BLOCK ID=\"1\">\n\t\t\t<RRW_RGNSIZE DISPLAY_NAME=\"Name 100\">[4096]</RRW_RGNSIZE>"),
              std::string::npos);
    EXPECT_NE(text.find("<ALIAS DISPLAY_NAME=\"Name 424\">[Fire &amp; Rescue &lt;1&gt;]</ALIAS>"), std::string::npos);
    EXPECT_EQ(text.find("TYPE="), std::string::npos);
    EXPECT_EQ(resources.calls, 12);
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::File), XMLXSL_S_OK);
    EXPECT_EQ(resources.calls, 12);
}

// Characters XML forbids would make the report's XML unreadable; they show
// as U+FFFD, which code page 1252 writes as "?", while tab stays a tab.
TEST_F(ReportMode, FallsBackToTheTableNameAndReplacesCharactersThatXmlForbids) {
    resources.nameFailsFor = field::ALIAS;
    resources.controlsFor = field::RRW_RGNSIZE;
    ASSERT_EQ(exportText(codeplug.get(), text, ExportMode::Report), XMLXSL_S_OK);
    EXPECT_NE(text.find("<ALIAS DISPLAY_NAME=\"ALIAS\">[Fire"), std::string::npos);
    EXPECT_NE(text.find("<RRW_RGNSIZE DISPLAY_NAME=\"A?B?\">x?y\tz?</RRW_RGNSIZE>"), std::string::npos) << text;
    EXPECT_EQ(text.find("&#"), std::string::npos);
}

TEST_F(ReportMode, EndsWithTheTranslatorsFailure) {
    resources.translationFailsFor = field::PA_PERSINDEX;
    EXPECT_EQ(exportText(codeplug.get(), text, ExportMode::Report), static_cast<DWORD>(E_INVALIDARG));
    EXPECT_EQ(text, "");
}

}  // namespace
