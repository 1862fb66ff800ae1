#include <new>

#include "interface/xmlxsl.h"
#include "platform/ansi.h"

DWORD XMLXSL_GetReportError(BSTR* text) {
    // A null out pointer would be written through; refuse it instead.
    if (text == nullptr) return static_cast<DWORD>(E_POINTER);
    try {
        *text = to_bstr(gXSLErrorMsg).release();
        return XMLXSL_S_OK;
    } catch (const std::bad_alloc&) {
        return XMLXSL_E_MEMORY;
    }
}
