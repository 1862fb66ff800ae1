#pragma once

// What a host sees of the library: eight functions and the error text.
// Every function returns a status of codeplug/status.h and lets no
// exception escape. Every BSTR stored through an out argument becomes the
// caller's, to be freed with SysFreeString.

#include <cstdint>
#include <string>

#include "codeplug/icodeplug.h"
#include "codeplug/status.h"
#include "platform/export.h"
#include "platform/oleauto.h"

#define XMLXSL_API WIN32_EXPORT

// Details of failed reports, English lines oldest first after "Errors: \n".
// It only grows.
XMLXSL_API extern std::string gXSLErrorMsg;

extern "C" {

// Creates the document server. The calling thread must have initialised
// COM. A second call while open does nothing.
XMLXSL_API DWORD XMLXSL_Open() noexcept;
// Resets and releases the document server; the open XML files stay open.
XMLXSL_API DWORD XMLXSL_Close() noexcept;
// Exports the codeplug object into a scrambled XML file, which stays open
// and locked for it until XMLXSL_CloseXMLFile(codeplug address).
XMLXSL_API DWORD XMLXSL_CP2XML(const char* fileName, ICodeplug* codeplug) noexcept;
// Reads a scrambled XML file into the codeplug object; on success the file
// stays open and locked for it. Blocks before a failing one stay set.
XMLXSL_API DWORD XMLXSL_XML2CP(const char* fileName, ICodeplug* codeplug) noexcept;
// Releases the file held for the codeplug object at that address.
XMLXSL_API DWORD XMLXSL_CloseXMLFile(std::uintptr_t handle) noexcept;
// The printable HTML report of the codeplug in the language the variant
// names, made with the XSL template at templatePath and "pretransform.qzt"
// beside it. On failure the error text holds English lines saying why.
XMLXSL_API DWORD XMLXSL_CreateHTML(ICodeplug* codeplug, const char* templatePath, VARIANT* language, BSTR* html) noexcept;
// The text of the document that the server holds (the latest conversion's);
// returns the server's own status unchanged.
XMLXSL_API DWORD XMLXSL_WriteXML(BSTR* text, LONG option) noexcept;
// A copy of the error text, converted through the ANSI code page.
XMLXSL_API DWORD XMLXSL_GetReportError(BSTR* text) noexcept;

}  // extern "C"
