#pragma once

// The library loaded as a host loads it, so that every test starts from a
// freshly built set of global objects and can watch what unloading does.

#include <string>

#include "interface/xmlxsl.h"
#include "platform/library.h"

class LoadedLibrary {
public:
    LoadedLibrary() : module_(LoadLibraryA(XMLXSL_LIBRARY_PATH)) {
        if (module_ == nullptr) return;
        resolve(Open, "XMLXSL_Open");
        resolve(Close, "XMLXSL_Close");
        resolve(WriteXML, "XMLXSL_WriteXML");
        resolve(CP2XML, "XMLXSL_CP2XML");
        resolve(XML2CP, "XMLXSL_XML2CP");
        resolve(CloseXMLFile, "XMLXSL_CloseXMLFile");
        resolve(CreateHTML, "XMLXSL_CreateHTML");
        resolve(GetReportError, "XMLXSL_GetReportError");
        // A std::string at global scope carries the library's ABI tag in its mangled name.
        errorText_ = static_cast<std::string*>(GetDataAddress(module_, "_Z12gXSLErrorMsgB5cxx11"));
    }
    ~LoadedLibrary() { unload(); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    void unload() {
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
    }
    std::string& errorText() const { return *errorText_; }

    decltype(&XMLXSL_Open) Open = nullptr;
    decltype(&XMLXSL_Close) Close = nullptr;
    decltype(&XMLXSL_WriteXML) WriteXML = nullptr;
    decltype(&XMLXSL_CP2XML) CP2XML = nullptr;
    decltype(&XMLXSL_XML2CP) XML2CP = nullptr;
    decltype(&XMLXSL_CloseXMLFile) CloseXMLFile = nullptr;
    decltype(&XMLXSL_CreateHTML) CreateHTML = nullptr;
    decltype(&XMLXSL_GetReportError) GetReportError = nullptr;

private:
    template <typename Function>
    void resolve(Function& function, const char* name) {
        function = reinterpret_cast<Function>(GetProcAddress(module_, name));
    }

    HMODULE module_ = nullptr;
    std::string* errorText_ = nullptr;
};
