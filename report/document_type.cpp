#include "report/document_type.h"

#include <memory>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>

namespace {

class document_type_finder final : public xercesc::DefaultHandler {
public:
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

}  // namespace

bool HoldsDocumentType(const std::string& text) { return document_type_finder().finds_one_in(text); }
