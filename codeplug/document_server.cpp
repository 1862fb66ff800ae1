#include "codeplug/document_server.h"

#include "codeplug/codeplug_reader.h"
#include "codeplug/codeplug_writer.h"
#include "codeplug/status.h"
#include "platform/exception_status.h"

namespace {

// In-process server, in-process handler or local server: whichever the
// installation offers.
constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

}  // namespace

CDocumentServer::~CDocumentServer() { Close(); }

DWORD CDocumentServer::Open() noexcept {
    if (open_) return XMLXSL_S_OK;
    HRESULT created =
        CoCreateInstance(kClsidDocumentServer, nullptr, kServerContext, kIidDocumentServer, server_.put_void());
    if (FAILED(created)) {
        server_.release();  // a failed creation may have left anything there
        return XMLXSL_E_SERVER;
    }
    open_ = true;
    return XMLXSL_S_OK;
}

void CDocumentServer::Close() noexcept {
    if (!open_) return;
    if (IDocumentServer* server = server_.release()) {
        try {
            server->Reset();
        } catch (...) {
        }
        try {
            server->Release();
        } catch (...) {
        }
    }
    open_ = false;
}

DWORD CDocumentServer::GetXML(BSTR* text, LONG option) noexcept {
    if (!open_) return XMLXSL_E_NOTOPEN;
    return status_of_call([&] { return static_cast<DWORD>(server_->GetXML(text, option)); }, XMLXSL_E_CONVERT,
                          XMLXSL_E_CONVERT);
}

DWORD CDocumentServer::CodeplugToXml(BSTR* text, ICodeplug* codeplug, ExportMode mode, VARIANT* language) {
    if (!open_) return XMLXSL_E_NOTOPEN;
    return CodeplugWriter(*this, server_.get(), codeplug, mode, language).WriteDocument(text);
}

DWORD CDocumentServer::XmlToCodeplug(BSTR text, ICodeplug* codeplug) {
    if (!open_) return XMLXSL_E_NOTOPEN;
    return CodeplugReader(*this, server_.get(), codeplug).ReadDocument(text);
}
