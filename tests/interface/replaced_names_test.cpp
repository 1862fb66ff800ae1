// A host that links the library and defines GetFieldName and
// TranslateChoice itself, as resourcemanager/resourcemanager.h allows: the
// library's report then shows the host's names and texts. The header gives
// the definitions default visibility, which the program's hidden default
// would otherwise withhold from the dynamic linker.

#include <gtest/gtest.h>

#include <string>

#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"
#include "resourcemanager/resourcemanager.h"
#include "tests/support/com_apartment.h"
#include "tests/support/sample_codeplugs.h"

extern "C" HRESULT GetFieldName(LONG id, VARIANT*, VARIANT* name) {
    *name = make_bstr_variant(u"Host name " + to_wide(std::to_string(id))).release();
    return S_OK;
}

extern "C" HRESULT TranslateChoice(LONG, VARIANT*, VARIANT* value, VARIANT*, VARIANT* text) {
    *text = make_bstr_variant(u"host " + std::u16string(value->bstrVal)).release();
    return S_OK;
}

namespace {

// The report fails for want of a template after the export in report mode,
// whose document stays in the server for XMLXSL_WriteXML.
TEST(ReplacedResourceManager, ShowsTheHostsOwnNamesAndTexts) {
    ComApartment com;
    ASSERT_EQ(XMLXSL_Open(), XMLXSL_S_OK);
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
    unique_variant language = make_bstr_variant(u"English");
    unique_bstr html;
    EXPECT_EQ(XMLXSL_CreateHTML(codeplug.get(), "/no/such/folder/report.xsl", language.get(), html.put()),
              XMLXSL_E_FILEOPEN);

    unique_bstr xml;
    ASSERT_TRUE(IsServerSuccess(static_cast<HRESULT>(XMLXSL_WriteXML(xml.put(), 0))));
    const std::string text = to_ansi(xml.get());
    EXPECT_NE(text.find("<RRW_RGNSIZE DISPLAY_NAME=\"Host name 100\">host 4096</RRW_RGNSIZE>"), std::string::npos)
        << text;
    EXPECT_EQ(XMLXSL_Close(), XMLXSL_S_OK);
}

}  // namespace
