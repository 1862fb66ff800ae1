#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/exception_status.h"

DWORD XMLXSL_GetReportError(BSTR* text) noexcept {
    // A null out pointer would be written through; refuse it instead.
    if (text == nullptr) return static_cast<DWORD>(E_POINTER);
    return status_of_call(
        [&] {
            *text = to_bstr(gXSLErrorMsg).release();
            return XMLXSL_S_OK;
        },
        XMLXSL_E_MEMORY, XMLXSL_E_MEMORY);
}
