#include "interface/globals.h"
#include "interface/xmlxsl.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"

DWORD XMLXSL_CreateHTML(ICodeplug* codeplug, const char* templatePath, VARIANT* language, BSTR* html) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr || html == nullptr) return static_cast<DWORD>(E_POINTER);

    // A language that holds no string is taken for an empty name, which then
    // fails where an unknown language fails, rather than being read as one.
    unique_variant unnamed;
    if (language == nullptr || language->vt != VT_BSTR) {
        unnamed.get()->vt = VT_BSTR;
        unnamed.get()->bstrVal = SysAllocString(u"");
        if (unnamed.get()->bstrVal == nullptr) return XMLXSL_E_MEMORY;
        language = unnamed.get();
    }

    unique_bstr xml;
    DWORD status = XMLXSL_E_CONVERT;
    try {
        status = gDocumentServer.CodeplugToXml(xml.put(), codeplug, ExportMode::Report, language);
    } catch (...) {
        status = XMLXSL_E_CONVERT;
    }
    if (!IsLibrarySuccess(status)) return status;

    ShortStatus generated = kShortReport;
    try {
        generated =
            gXSLHandler.generate(xml.get(), templatePath == nullptr ? "" : templatePath, html, language->bstrVal);
    } catch (...) {
        generated = kShortReport;
    }
    return WidenShortStatus(generated);
}
