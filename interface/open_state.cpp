#include "interface/globals.h"
#include "interface/xmlxsl.h"

DWORD XMLXSL_Open() noexcept {
    if (gLibraryOpen) return XMLXSL_S_OK;
    DWORD status = gDocumentServer.Open();
    if (IsLibrarySuccess(status)) gLibraryOpen = true;
    return status;
}

DWORD XMLXSL_Close() noexcept {
    if (!gLibraryOpen) return XMLXSL_S_OK;
    gDocumentServer.Close();
    gLibraryOpen = false;
    return XMLXSL_S_OK;
}

DWORD XMLXSL_WriteXML(BSTR* text, LONG option) noexcept {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    return gDocumentServer.GetXML(text, option);
}
