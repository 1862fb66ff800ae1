#pragma once

// The library's one wrapper around the document server: the server's
// interface pointer and an open flag of its own. The conversions between a
// codeplug object and XML are operations of this object, since each step of
// them must see whether the server is still open: a codeplug object may close
// the library from inside GetBlock or SetBlock.

#include "codeplug/export_mode.h"
#include "codeplug/icodeplug.h"
#include "codeplug/idocumentserver.h"
#include "platform/com_ptr.h"
#include "platform/wintypes.h"

class CDocumentServer {
public:
    CDocumentServer() = default;
    CDocumentServer(const CDocumentServer&) = delete;
    CDocumentServer& operator=(const CDocumentServer&) = delete;
    // An open wrapper is closed: the server is reset and released.
    ~CDocumentServer();

    // Creates the server (XMLXSL_S_OK), or XMLXSL_E_SERVER when it cannot be
    // created; does nothing while open.
    [[nodiscard]] DWORD Open() noexcept;
    // Resets and releases the server, swallowing whatever either throws.
    void Close() noexcept;
    // XMLXSL_E_NOTOPEN while closed, else the server's own status.
    [[nodiscard]] DWORD GetXML(BSTR* text, LONG option) noexcept;

    // The codeplug object's blocks as the codeplug XML document, in text
    // (the caller's on success). XMLXSL_S_OK, XMLXSL_E_NOTOPEN, a server
    // status, a codeplug or resource manager result, or a block status.
    // Exceptions other than the codeplug object's come through.
    DWORD CodeplugToXml(BSTR* text, ICodeplug* codeplug, ExportMode mode, VARIANT* language);
    // Loads a file-mode document and hands every block to the codeplug
    // object; the statuses likewise.
    DWORD XmlToCodeplug(BSTR text, ICodeplug* codeplug);

    bool IsOpen() const noexcept { return open_; }

private:
    com_ptr<IDocumentServer> server_;
    bool open_ = false;
};
