#include <memory>
#include <stdexcept>
#include <sstream>

#include <xalanc/XSLT/XSLTInputSource.hpp>
#include <xalanc/XSLT/XSLTResultTarget.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/SAXException.hpp>

#include "codeplug/status.h"
#include "localise/installation_settings.h"
#include "localise/xsl_translator.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"
#include "report/document_type.h"
#include "report/error_report.h"
#include "report/report_generator.h"
#include "report/xml_libraries.h"

namespace {

constexpr std::size_t npos = std::string::npos;


// Refuses every other document a pass would load, by xsl:include,
// xsl:import or document(), and any entity that got past the finder: the
// report is made from its two texts alone. An include or import fails the
// transformation; document() gives nothing.
class other_documents_refused final : public xercesc::EntityResolver {
public:
    xercesc::InputSource* resolveEntity(const XMLCh* const, const XMLCh* const) override {
        throw xercesc::SAXException("other documents are not read");
    }
};

// Runs the stylesheet over the XML, both held in memory; a failed
// transformation is reported in the error text and leaves what the
// processor wrote before it stopped.
std::string transform(const std::string& xml, const std::string& stylesheet) {
    XmlLibrariesStarted started;
    // Fails like a rejected stylesheet, with no output.
    if (HoldsDocumentType(xml) || HoldsDocumentType(stylesheet)) {
        AppendReportError("StreamTransform Error: document type declarations are not accepted\n");
        return std::string();
    }
    other_documents_refused resolver;
    xalanc::XalanTransformer transformer;
    transformer.setEntityResolver(&resolver);
    // Warnings and messages would go to the host's standard error; the
    // failure itself is told in the error text from getLastError.
    transformer.setWarningStream(nullptr);
    transformer.setErrorStream(nullptr);
    std::istringstream xmlStream(xml);
    std::istringstream stylesheetStream(stylesheet);
    std::ostringstream output;
    {
        xalanc::XSLTResultTarget target(output);
        xalanc::XSLTInputSource stylesheetSource(&stylesheetStream);
        xalanc::XSLTInputSource xmlSource(&xmlStream);
        if (transformer.transform(xmlSource, stylesheetSource, target) != 0)
            AppendReportError("StreamTransform Error: %s\n", transformer.getLastError());
    }
    return output.str();
}

}  // namespace

ShortStatus CXSLHandler::XSLTtransform(const std::string& input, const std::string& templatePath,
                                       std::string& output, const OLECHAR* language) {
    try {
        CXMLMem xml;
        CXSL stylesheet;
        if (ShortStatus status = xml.init(input); status != kShortOk) return status;
        if (ShortStatus status = stylesheet.readFile(templatePath); status != kShortOk) return status;

        unique_variant languageName =
            make_bstr_variant(language == nullptr ? std::u16string_view() : std::u16string_view(language));
        unique_variant resource;
        if (DWORD result = GetXSLResourceFilePathAndName(languageName.get(), resource.get());
            !IsRegistrySuccess(result))
            return result;
        std::string resourceValue = to_ansi(resource.get()->bstrVal);

        std::size_t folderEnd = ansi_characters().find_last_of(templatePath, "/");
        if (folderEnd == npos) {
            AppendReportError("Invalid XSL Filename\n");
            return kShortFormat;
        }
        // Only the value's file name counts: the resource string file always
        // lies beside the template. The value may be written either way.
        std::size_t nameStart = ansi_characters().find_last_of(resourceValue, "/\\");
        std::string fileName = nameStart == npos ? resourceValue : resourceValue.substr(nameStart + 1);
        resourceFilePath_ = templatePath.substr(0, folderEnd) + "/" + fileName;

        if (ShortStatus status = stylesheet.translateXSL(resourceFilePath_); status != kShortOk) return status;
        output = transform(xml.getText(), stylesheet.getText());
        return kShortOk;
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSLHandler::XSLTtransform \n");
        return kShortMemory;
    }
}
