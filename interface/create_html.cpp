#include "interface/globals.h"
#include "interface/xmlxsl.h"
#include "platform/exception_status.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"

namespace {

DWORD create_html(ICodeplug* codeplug, const char* templatePath, VARIANT* language, BSTR* html) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr || html == nullptr) return static_cast<DWORD>(E_POINTER);

    // A language that holds no string is taken for an empty name, which then
    // fails where an unknown language fails, rather than being read as one.
    unique_variant unnamed;
    if (language == nullptr || language->vt != VT_BSTR) {
        unnamed = make_bstr_variant(u"");
        language = unnamed.get();
    }

    unique_bstr xml;
    const DWORD status = status_of_call(
        [&] { return gDocumentServer.CodeplugToXml(xml.put(), codeplug, ExportMode::Report, language); },
        XMLXSL_E_MEMORY, XMLXSL_E_CONVERT);
    if (!IsLibrarySuccess(status)) return status;

    const ShortStatus generated = status_of_call(
        [&] { return gXSLHandler.generate(xml.get(), templatePath == nullptr ? "" : templatePath, html, language->bstrVal); },
        kShortMemory, kShortReport);
    return WidenShortStatus(generated);
}

}  // namespace

DWORD XMLXSL_CreateHTML(ICodeplug* codeplug, const char* templatePath, VARIANT* language, BSTR* html) noexcept {
    return status_of_call([&] { return create_html(codeplug, templatePath, language, html); }, XMLXSL_E_MEMORY,
                          XMLXSL_E_REPORT);
}
