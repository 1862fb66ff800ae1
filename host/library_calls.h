#pragma once

// The program's use of the library, through its exported functions alone.
// Everything here runs on a thread that has initialised COM, while a
// library_session is open. Failures are CommandErrors whose line names the
// file and tells the status: its name, what it means and what to do.

#include <string>
#include <string_view>

#include "host/codeplug_model.h"
#include "host/output_target.h"

// The library open for the object's life.
class library_session {
public:
    library_session();
    ~library_session();
    library_session(const library_session&) = delete;
    library_session& operator=(const library_session&) = delete;
};

// Writes the codeplug into a scrambled XML file. The library writes the
// staging file (unique_staged_file) and holds it until XMLXSL_CloseXMLFile;
// only then is it moved to the target. `source` names the codeplug in
// messages: a row whose field id the XML file cannot hold (outside 1 to 470)
// is named by its place in the codeplug file.
void ExportXmlFile(const Codeplug& codeplug, const output_target& target, const std::string& source);

// Reads a scrambled XML file into a codeplug, after its first bytes passed
// CheckXmlInput. The file is released again before the call returns; the
// library's document holds its XML. Running out of memory is told as "not
// enough memory to read FILE (SIZE)".
Codeplug ImportXmlFile(const std::string& file);

// Imports XML text through the library, which reads only scrambled XML
// files: the text, narrowed to the ANSI code page (a character that the page
// lacks as a character reference), is scrambled into a staging file beside
// `beside` (unique_staged_file), which goes again before the call returns.
// `source` names the text in messages: "plain.xml is not a codeplug:
// DOCSERVER_E_NOTFOUND (0x80040403): ...".
Codeplug ImportXmlText(std::u16string_view text, const output_target& beside, const std::string& source);

// The XML text of the document that the library holds, the latest
// conversion's, with a declaration that names the ANSI code page, as bytes in
// that page; a character that the page lacks is written as a character
// reference, and refused where XML allows none.
std::string LatestXmlText();

// The HTML report of the codeplug, as bytes in the ANSI code page. The
// language name is UTF-8. The template path is made absolute first, since
// the library looks for the report's other files in the template's folder.
// A registry failure names the file, key and value; the failure's details
// are the lines that the library added to its error text.
std::string CreateReport(const Codeplug& codeplug, const std::string& templatePath, const std::string& language);
