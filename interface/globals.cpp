#include "interface/globals.h"

#include "interface/open_xml_files.h"
#include "interface/xmlxsl.h"

// Destroyed before the error text; an open wrapper resets and releases its
// server then.
CDocumentServer gDocumentServer;

// The one report generator.
CXSLHandler gXSLHandler;

// Destroyed first: the files it still holds are closed and unlocked.
OpenXMLFiles gOpenXMLFiles;

bool gLibraryOpen = false;
