#include "report/xml_libraries.h"

#include <stdexcept>

#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace {

// Xerces's own panic handler prints to the standard error and ends the
// process; the host's process is not the library's to end. A panic becomes an
// exception, which the report generator tells as an unknown one.
class panic_thrower final : public xercesc::PanicHandler {
public:
    void panic(const PanicReasons) override { throw std::runtime_error("the XML parser panicked"); }
};

}  // namespace

XmlLibrariesStarted::XmlLibrariesStarted() {
    static panic_thrower panics;
    xercesc::XMLPlatformUtils::Initialize(xercesc::XMLUni::fgXercescDefaultLocale, nullptr, &panics);
    try {
        xalanc::XalanTransformer::initialize();
    } catch (...) {
        xercesc::XMLPlatformUtils::Terminate();
        throw;
    }
}

XmlLibrariesStarted::~XmlLibrariesStarted() {
    xalanc::XalanTransformer::terminate();
    xercesc::XMLPlatformUtils::Terminate();
}
