#include "tests/support/loaded_library.h"

namespace {

template <typename Function>
Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(GetProcAddress(module, name));
}

}  // namespace

LoadedLibrary::LoadedLibrary() : module_(LoadLibraryA(XMLXSL_LIBRARY_PATH)) {
    if (module_ == nullptr) return;
    Open = resolve<decltype(Open)>(module_, "XMLXSL_Open");
    Close = resolve<decltype(Close)>(module_, "XMLXSL_Close");
    WriteXML = resolve<decltype(WriteXML)>(module_, "XMLXSL_WriteXML");
    CP2XML = resolve<decltype(CP2XML)>(module_, "XMLXSL_CP2XML");
    XML2CP = resolve<decltype(XML2CP)>(module_, "XMLXSL_XML2CP");
    CloseXMLFile = resolve<decltype(CloseXMLFile)>(module_, "XMLXSL_CloseXMLFile");
    CreateHTML = resolve<decltype(CreateHTML)>(module_, "XMLXSL_CreateHTML");
    GetReportError = resolve<decltype(GetReportError)>(module_, "XMLXSL_GetReportError");
    // A std::string at global scope carries the library's ABI tag in its
    // mangled name.
    errorText_ = static_cast<std::string*>(GetDataAddress(module_, "_Z12gXSLErrorMsgB5cxx11"));
}

void LoadedLibrary::unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
}
