#pragma once

// The library's process-wide objects. They are defined together in
// globals.cpp so that they are built at load in the order the host may rely
// on (error text first) and destroyed in the reverse order.

#include "codeplug/document_server.h"
#include "report/report_generator.h"

extern bool gLibraryOpen;
extern CDocumentServer gDocumentServer;
extern CXSLHandler gXSLHandler;
