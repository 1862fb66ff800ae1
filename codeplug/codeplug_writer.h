#pragma once

// Writes every block of a codeplug object, in the layout tables' order, into
// the document server as the codeplug XML document.

#include <string_view>

#include "codeplug/bstr_cache.h"
#include "codeplug/document_server.h"
#include "codeplug/export_mode.h"
#include "codeplug/icodeplug.h"
#include "codeplug/layout.h"
#include "platform/unique_bstr.h"

class CodeplugWriter {
public:
    // The wrapper is asked before every step whether it is still open: a
    // codeplug object or resource manager called back into may close it.
    // The writer holds its own reference on the server meanwhile.
    CodeplugWriter(const CDocumentServer& wrapper, IDocumentServer* server, ICodeplug* codeplug, ExportMode mode,
                   VARIANT* language);

    // Builds the whole document and fills text from GetXML; throws only
    // std::bad_alloc and what the callees throw.
    DWORD WriteDocument(BSTR* text);

private:
    DWORD WriteRegions(ULONG root);
    DWORD WriteBlock(LONG fieldId, BlockKind kind, ULONG blockNode);
    DWORD WriteTypeArray(ULONG node, VARIANT* block);
    // Also writes LIST blocks: their items are ENTRY arrays, named LIST_.
    DWORD WriteEntryArray(ULONG node, VARIANT* block, bool list);
    DWORD WriteField(ULONG node, LONG fieldId, BYTE typeCode, BSTR value);
    DWORD WriteReportField(ULONG fieldNode, LONG fieldId, BSTR value);

    // Server calls with the names made into BSTRs; each returns the server's
    // status.
    DWORD Indent(ULONG node, LONG depth);
    DWORD CreateElement(ULONG parent, std::string_view name, ULONG* node);
    DWORD SetAttribute(ULONG node, std::string_view name, std::string_view value);
    DWORD SetAttribute(ULONG node, std::string_view name, BSTR value);

    const CDocumentServer& wrapper_;
    com_ptr<IDocumentServer> server_;
    ICodeplug* codeplug_;
    ExportMode mode_;
    VARIANT* language_;
    LONG depth_ = 0;
    BstrCache names_;
};
