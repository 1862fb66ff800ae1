#pragma once

// The document as XML text, both ways.
//
// Written raw: the only whitespace is what the document holds (AppendIndent
// places it), attribute values stand in double quotes and a start tag closes
// right after its last attribute (<A ID="1">), which the report's alias
// rewrite relies on. Escaped: & < > in text; & < " and tab, line feed and
// carriage return in attribute values; control characters as &#N;. A
// carriage return in text is written raw and the parser keeps it (no line
// end normalisation), so every value comes back as it went in through
// LoadXML. Other characters are written as they are: the caller narrows the
// text to its code page.

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace docserver {

// The name under which an XML declaration announces a Windows ANSI code
// page: "windows-1250" to "windows-1258", "Shift_JIS" (932), "GBK" (936),
// "EUC-KR" (949), "Big5" (950), and "windows-" and the number for others.
[[nodiscard]] std::string encoding_name(UINT codePage);

// The whole document as text; with a declaration naming the process's ANSI
// code page, followed by a line break so that the root's start tag begins a
// line like every other tag. Throws std::bad_alloc.
[[nodiscard]] std::u16string write_xml(const pugi::xml_document& document, bool declaration);

// Replaces the content of document by the parse of text (up to its first
// NUL; a null BSTR is empty text). The text must be one element with
// nothing but whitespace around it, no attribute twice on one element, and
// no document type declaration: the server never reads a file nor expands an
// entity, and an unknown entity reference such as &foo; stays in the text as
// it stands. Returns DOCSERVER_S_OK, DOCSERVER_E_MALFORMED,
// DOCSERVER_E_DOCTYPE or DOCSERVER_E_OUTOFMEMORY; on failure the document
// is left empty. Throws std::bad_alloc, leaving the document empty.
[[nodiscard]] HRESULT try_parse_xml(const OLECHAR* text, pugi::xml_document& document);

// Whether name (UTF-8) can name an element or attribute: not empty, no
// ASCII character that XML names exclude, not starting with a digit, '-' or
// '.'. Characters beyond ASCII are taken as they come.
[[nodiscard]] bool is_xml_name(std::string_view name) noexcept;

}  // namespace docserver
