#pragma once

// CXSLHandler: turns the report XML of a codeplug into the HTML report: the
// alias rewrite, then the pre-transform pass with "pretransform.qzt" from
// the report template's folder, then the report pass with the template
// itself, each pass a translated stylesheet run by Xalan-C.

#include <string>

#include "platform/oleauto.h"
#include "report/short_status.h"

class CXSLHandler {
public:
    CXSLHandler() = default;
    CXSLHandler(const CXSLHandler&) = delete;
    CXSLHandler& operator=(const CXSLHandler&) = delete;
    virtual ~CXSLHandler() = default;

    // On kShortOk *html receives a new BSTR, the caller's; it is left
    // untouched on failure. Failures have appended their line to the error
    // text. Exceptions of the XML libraries come through.
    ShortStatus generate(BSTR xml, const std::string& templatePath, BSTR* html, const OLECHAR* language);

    // One XSLT pass: loads and translates the template at templatePath for
    // the language and transforms input with it. output is set only on
    // kShortOk, which a failed transformation also gives (with a
    // "StreamTransform Error: " line appended).
    ShortStatus XSLTtransform(const std::string& input, const std::string& templatePath, std::string& output,
                              const OLECHAR* language);

private:
    // The resource string file of the latest pass.
    std::string resourceFilePath_;
};

// The alias rewrite: within each span from "\"Alias\">" to the next "</ALIAS"
// of at most 30 bytes, spaces become "()?!$%", and every copy of the span in
// the text is rewritten alike.
void RewriteAliases(std::string& text);

// Turns every "&amp;" into "&", in one pass from left to right: "amp;"
// that no ampersand stands right before stays, so a channel named
// "Base Camp;North" keeps its name, and "&amp;amp;" becomes "&amp;".
void RemoveAmpersandEntities(std::string& text);

// generate's cuts after each pass: keep the text up to and including the
// first "</TORVALE_CODEPLUG>" (the pre-transform product) or "</html>" (the
// report); false, with the text unchanged, when the tag is not there.
bool CutAfterEndOfDocument(std::string& text);
bool CutAfterEndOfReport(std::string& text);
