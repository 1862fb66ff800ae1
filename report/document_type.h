#pragma once

// Codeplug files and templates travel between dealers and customers and can
// be edited by hand, so neither text of a pass is trusted. A document type
// declaration would let it read other files, reach the network or expand
// nested entities without end, and the parsers that Xalan makes cannot be
// told to refuse one. So each text is first read by a parser of our own that
// stops where a declaration starts, before anything it names or declares is
// read. Being the same parser as the transformer's, it finds the declaration
// in whatever encoding the text declares, where a search of the bytes would
// not.

#include <string>

// Whether the transformer's parser would act on a document type declaration
// in the text. A text that is malformed before any declaration gives false:
// the transformer's parser stops at the same fault or sooner, and reports it
// in its own words. Needs the XML libraries started (xml_libraries.h).
bool HoldsDocumentType(const std::string& text);
