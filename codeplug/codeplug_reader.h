#pragma once

// Reads a codeplug XML document in file mode back into a codeplug object:
// for every block of the layout tables it finds the block's element,
// rebuilds the block's variant and hands it over with SetBlock.

#include <string_view>

#include "codeplug/bstr_cache.h"
#include "codeplug/document_server.h"
#include "codeplug/icodeplug.h"
#include "codeplug/layout.h"

class CodeplugReader {
public:
    // As with the writer, the wrapper is asked before every step whether it
    // is still open, and the reader holds its own reference on the server.
    CodeplugReader(const CDocumentServer& wrapper, IDocumentServer* server, ICodeplug* codeplug);

    // Loads text and hands every block to the codeplug object. Blocks before
    // a failing one stay set. Throws only std::bad_alloc and what the
    // callees throw.
    DWORD ReadDocument(BSTR text);

private:
    DWORD ReadBlock(ULONG regionNode, LONG fieldId, BlockKind kind);
    DWORD BuildTypeArray(ULONG node, VARIANT* out);
    // Also builds LIST blocks, whose items are ENTRY arrays.
    DWORD BuildEntryArray(ULONG node, VARIANT* out, bool list);

    DWORD FindElement(ULONG parent, LONG index, std::string_view name, ULONG* node);
    // Reads a numeric attribute as the file format defines it.
    DWORD ReadNumber(ULONG node, std::string_view name, LONG* value);

    const CDocumentServer& wrapper_;
    com_ptr<IDocumentServer> server_;
    ICodeplug* codeplug_;
    BstrCache names_;
};

// The value of an ID or TYPE text: at most its first 19 characters, leading
// white space skipped, an optional sign, then decimal digits up to the first
// other character; 0 without digits; clamped to the 32-bit range.
LONG ParseAttributeNumber(std::string_view text) noexcept;
