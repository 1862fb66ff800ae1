#include <memory>
#include <stdexcept>
#include <sstream>

#include <xalanc/XSLT/XSLTInputSource.hpp>
#include <xalanc/XSLT/XSLTResultTarget.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "codeplug/status.h"
#include "localise/installation_settings.h"
#include "localise/xsl_translator.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"
#include "report/error_report.h"
#include "report/report_generator.h"

namespace {

constexpr std::size_t npos = std::string::npos;


// Xerces's own panic handler prints to the standard error and ends the
// process; the host's process is not the library's to end. A panic becomes an
// exception, which the report generator tells as an unknown one.
class panic_thrower final : public xercesc::PanicHandler {
public:
    void panic(const PanicReasons) override { throw std::runtime_error("the XML parser panicked"); }
};

// The XML libraries are started for the whole process around one pass and
// stopped after it on every way out, an exception's included, so that a
// failed pass leaves nothing started behind it.
class XmlLibrariesStarted {
public:
    XmlLibrariesStarted() {
        static panic_thrower panics;
        xercesc::XMLPlatformUtils::Initialize(xercesc::XMLUni::fgXercescDefaultLocale, nullptr, &panics);
        try {
            xalanc::XalanTransformer::initialize();
        } catch (...) {
            xercesc::XMLPlatformUtils::Terminate();
            throw;
        }
    }
    ~XmlLibrariesStarted() {
        xalanc::XalanTransformer::terminate();
        xercesc::XMLPlatformUtils::Terminate();
    }
    XmlLibrariesStarted(const XmlLibrariesStarted&) = delete;
    XmlLibrariesStarted& operator=(const XmlLibrariesStarted&) = delete;
};

// Codeplug files and templates travel between dealers and customers and can
// be edited by hand, so neither text of a pass is trusted. A document type
// declaration would let it read other files, reach the network or expand
// nested entities without end, and the parsers that Xalan makes cannot be
// told to refuse one. So each text is first read by a parser of our own that
// stops where a declaration starts, before anything it names or declares is
// read. Being the same parser as the transformer's, it finds the declaration
// in whatever encoding the text declares, where a search of the bytes would
// not.
class document_type_finder final : public xercesc::DefaultHandler {
public:
    // Whether the transformer's parser would act on a document type
    // declaration in text. A text that is malformed before any declaration
    // gives false: the transformer's parser stops at the same fault or
    // sooner, and reports it in its own words.
    bool finds_one_in(const std::string& text) {
        std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
        // Without namespaces the reader accepts all that the transformer's
        // namespace-aware parser accepts, so it never stops short of a
        // declaration that one would reach.
        reader->setFeature(xercesc::XMLUni::fgSAX2CoreNameSpaces, false);
        reader->setLexicalHandler(this);
        reader->setErrorHandler(this);  // whose fatalError throws
        xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(), "");
        try {
            reader->parse(source);
        } catch (const declaration_found&) {
            return true;
        } catch (const xercesc::SAXParseException&) {
        }
        return false;
    }

private:
    struct declaration_found {};

    void startDTD(const XMLCh* const, const XMLCh* const, const XMLCh* const) override { throw declaration_found(); }
};

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
    document_type_finder finder;
    if (finder.finds_one_in(xml) || finder.finds_one_in(stylesheet)) {
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
