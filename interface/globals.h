#pragma once

// The library's process-wide objects. They are defined together in
// globals.cpp so that they are built at load in the order the host may rely
// on and destroyed in the reverse order; the error text, defined with the
// report base, is built before them and destroyed after them.

#include "codeplug/document_server.h"
#include "report/report_generator.h"

extern bool gLibraryOpen;
extern CDocumentServer gDocumentServer;
extern CXSLHandler gXSLHandler;
