#include "report/report_generator.h"

#include <new>

#include "platform/ansi.h"
#include "platform/find_text.h"
#include "platform/xml_narrowing.h"
#include "report/error_report.h"

namespace {

// Looked for in the report template's own folder.
constexpr std::string_view kPretransformName = "/pretransform.qzt";
constexpr std::string_view kEndOfDocument = "</TORVALE_CODEPLUG>";
constexpr std::string_view kEndOfReport = "</html>";

// Keeps the text up to and including the first closing tag; false when the
// tag is not there.
bool cut_after(std::string& text, std::string_view closingTag) {
    std::size_t at = FindText(text, closingTag);
    if (at == std::string::npos) return false;
    text.resize(at + closingTag.size());
    return true;
}

}  // namespace

bool CutAfterEndOfDocument(std::string& text) { return cut_after(text, kEndOfDocument); }

bool CutAfterEndOfReport(std::string& text) { return cut_after(text, kEndOfReport); }

ShortStatus CXSLHandler::generate(BSTR xml, const std::string& templatePath, BSTR* html, const OLECHAR* language) {
    try {
        // The folder is cut at the last separator byte, as the application
        // writes template paths.
        std::size_t folderEnd = templatePath.rfind('/');
        std::string pretransformPath =
            (folderEnd == std::string::npos ? std::string() : templatePath.substr(0, folderEnd)) +
            std::string(kPretransformName);

        // A character that the code page lacks reaches the passes as a
        // character reference rather than as "?".
        std::string text;
        if (try_to_ansi_xml(xml, SysStringLen(xml), text) != xml_narrowing::converted) {
            AppendReportError("Report XML holds a character that cannot be written in the code page.\n");
            return kShortConvert;
        }
        RewriteAliases(text);

        std::string product;
        if (ShortStatus status = XSLTtransform(text, pretransformPath, product, language); status != kShortOk)
            return status;
        if (!CutAfterEndOfDocument(product)) {
            AppendReportError("Malformed XML product after pretransform.\n");
            return kShortProduct;
        }

        std::string report;
        if (ShortStatus status = XSLTtransform(product, templatePath, report, language); status != kShortOk)
            return status;
        if (!CutAfterEndOfReport(report)) return kShortProduct;
        RemoveAmpersandEntities(report);

        *html = to_bstr(report).release();
        return kShortOk;
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSLHandler::generate \n");
        return kShortMemory;
    } catch (...) {
        AppendReportError("Unknown exception");
        return kShortMemory;
    }
}
