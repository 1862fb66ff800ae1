#include "host/library_calls.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>

#include "host/command_error.h"
#include "host/input_file.h"
#include "host/memory_codeplug.h"
#include "host/staged_file.h"
#include "host/status_text.h"
#include "host/utf8_text.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"

namespace {

// Releases the XML file that the library holds open and locked for a
// codeplug object; the object's address is the library's handle for it.
class xml_file_hold {
public:
    explicit xml_file_hold(ICodeplug* codeplug) noexcept : handle_(reinterpret_cast<std::uintptr_t>(codeplug)) {}
    ~xml_file_hold() { XMLXSL_CloseXMLFile(handle_); }
    xml_file_hold(const xml_file_hold&) = delete;
    xml_file_hold& operator=(const xml_file_hold&) = delete;

private:
    std::uintptr_t handle_;
};

std::string error_text() {
    unique_bstr text;
    if (IsFailure(XMLXSL_GetReportError(text.put()))) return {};
    return to_ansi(text.get(), text.length());
}

}  // namespace

library_session::library_session() {
    if (DWORD status = XMLXSL_Open(); !IsLibrarySuccess(status))
        throw CommandError("the library cannot be opened: " + DescribeStatus(status));
}

library_session::~library_session() { XMLXSL_Close(); }

void ExportXmlFile(const Codeplug& codeplug, const std::string& file) {
    unique_staged_file output(file);
    com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create(codeplug);
    {
        DWORD status = XMLXSL_CP2XML(output.temporaryPath().c_str(), object.get());
        if (!IsLibrarySuccess(status)) throw CommandError("cannot export to " + file + ": " + DescribeStatus(status));
        xml_file_hold written(object.get());
    }
    output.commit();
}

Codeplug ImportXmlFile(const std::string& file) {
    CheckInputFile(file);
    com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create();
    DWORD status = XMLXSL_XML2CP(file.c_str(), object.get());
    if (IsFailure(status)) throw CommandError("cannot import " + file + ": " + DescribeStatus(status));
    xml_file_hold read(object.get());
    return object->codeplug();
}

std::string LatestXmlText() {
    unique_bstr text;
    if (DWORD status = XMLXSL_WriteXML(text.put(), 1); IsFailure(status))
        throw CommandError("cannot take the XML text: " + DescribeStatus(status));
    return to_ansi(text.get(), text.length());
}

std::string CreateReport(const Codeplug& codeplug, const std::string& templatePath, const std::string& language) {
    std::optional<std::u16string> name = Utf16FromUtf8(language);
    if (!name) throw CommandError("the language name is not UTF-8 text");
    unique_variant languageVariant;
    languageVariant.get()->vt = VT_BSTR;
    languageVariant.get()->bstrVal = SysAllocStringLen(name->data(), static_cast<UINT>(name->size()));
    if (languageVariant.get()->bstrVal == nullptr) throw std::bad_alloc();

    std::string absoluteTemplate = std::filesystem::absolute(templatePath).lexically_normal().string();
    com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create(codeplug);
    std::string errorsBefore = error_text();
    unique_bstr html;
    DWORD status = XMLXSL_CreateHTML(object.get(), absoluteTemplate.c_str(), languageVariant.get(), html.put());
    if (!IsLibrarySuccess(status)) {
        std::string errorsAfter = error_text();
        std::string added =
            errorsAfter.starts_with(errorsBefore) ? errorsAfter.substr(errorsBefore.size()) : errorsAfter;
        throw CommandError("cannot make the report: " + DescribeReportStatus(status), added);
    }
    return to_ansi(html.get(), html.length());
}
