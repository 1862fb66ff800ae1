#pragma once

// The library loaded as a host loads it, so that every test starts from a
// freshly built set of global objects and can watch what unloading does.

#include <string>

#include "interface/xmlxsl.h"
#include "platform/library.h"

class LoadedLibrary {
public:
    LoadedLibrary();
    ~LoadedLibrary() { unload(); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    void unload();
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
    HMODULE module_ = nullptr;
    std::string* errorText_ = nullptr;
};
