#pragma once

// The program's use of the library, through its exported functions alone.
// Everything here runs on a thread that has initialised COM, while a
// library_session is open. Failures are CommandErrors whose line names the
// file and tells the status.

#include <string>

#include "host/codeplug_model.h"

// The library open for the object's life.
class library_session {
public:
    library_session();
    ~library_session();
    library_session(const library_session&) = delete;
    library_session& operator=(const library_session&) = delete;
};

// Writes the codeplug into a scrambled XML file. The library writes a
// temporary file beside `file`, which replaces `file` only on success.
void ExportXmlFile(const Codeplug& codeplug, const std::string& file);

// Reads a scrambled XML file into a codeplug. The file is released again
// before the call returns; the library's document holds its XML.
Codeplug ImportXmlFile(const std::string& file);

// The XML text of the document that the library holds, the latest
// conversion's, with a declaration that names the ANSI code page, as bytes in
// that page.
std::string LatestXmlText();

// The HTML report of the codeplug, as bytes in the ANSI code page. The
// language name is UTF-8. The template path is made absolute first, since
// the library looks for the report's other files in the template's folder.
// A failure's details are the lines that the library added to its error text.
std::string CreateReport(const Codeplug& codeplug, const std::string& templatePath, const std::string& language);
