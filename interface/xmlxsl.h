#pragma once

// What a host sees of the library (libxmlxsl.so): eight functions and the
// error text.
//
// Calling them:
// - Every function returns a status of codeplug/status.h and lets no
//   exception escape. 0x00040700 (XMLXSL_S_OK) is success; a status with its
//   top bit set is a failure, whatever its low word (IsFailure,
//   IsLibrarySuccess). Besides the library's own 0x800407xx, a status may be
//   the document server's (0x800404xx, docserver/docserver.h) or the
//   codeplug object's or resource manager's result, passed on unchanged;
//   one of those that would read as success comes back as 0x80040706.
// - A null codeplug object or out pointer gives E_POINTER (0x80004003) and
//   touches nothing; XMLXSL_WriteXML alone hands its out pointer to the
//   server as it is.
// - Every BSTR stored through an out argument becomes the caller's, to be
//   freed with SysFreeString; on failure nothing is stored unless the
//   function says so. Every argument stays the caller's.
// - One call at a time, on the thread that initialised COM (CoInitialize)
//   before XMLXSL_Open; the library never initialises COM itself. All state
//   is process-wide.
// - While the library is closed, XMLXSL_CP2XML, XMLXSL_XML2CP,
//   XMLXSL_WriteXML and XMLXSL_CreateHTML return 0x80040701
//   (XMLXSL_E_NOTOPEN) and touch nothing; XMLXSL_Open, XMLXSL_Close,
//   XMLXSL_CloseXMLFile and XMLXSL_GetReportError work at any time.
// - Text crosses as BSTRs (UTF-16) and as file names and template paths in
//   the ANSI code page (XMLXSL_ACP, default 1252), NUL-terminated.
//
// A host links libxmlxsl.so and libwin32platform.so (CMake: the target
// xmlxsl::xmlxsl; pkg-config: xmlxsl), or loads the library with
// LoadLibraryA and finds the functions with GetProcAddress.

#include <cstdint>
#include <string>

#include "codeplug/icodeplug.h"
#include "codeplug/status.h"
#include "platform/export.h"
#include "platform/oleauto.h"

#define XMLXSL_API WIN32_EXPORT

// Details of failed reports: "Errors: \n" at load, then English lines, oldest
// first, appended by failed reports only. It only grows; nothing clears it.
//
// A std::string of the GNU C++11 library ABI, exported under its mangled
// name _Z12gXSLErrorMsgB5cxx11: only a host built with libstdc++ and the
// C++11 string ABI (the default of GCC 5 and later) may read it directly,
// and then as its own process-wide variable, unguarded. Any other host (C,
// another language, libc++, _GLIBCXX_USE_CXX11_ABI=0, a library loaded
// with LoadLibraryA) reads it through XMLXSL_GetReportError.
XMLXSL_API extern std::string gXSLErrorMsg;

extern "C" {

// Opens the library: creates the document server (CLSID_DocumentServer,
// or the class object a host registered for it with CoRegisterClassObject).
// 0x00040700; 0x80040702 (XMLXSL_E_SERVER) when it cannot be created, COM
// not being initialised on the thread for one, and the library stays closed
// (a later call tries again). A call while open does nothing and succeeds.
XMLXSL_API DWORD XMLXSL_Open() noexcept;

// Closes the library: resets and releases the document server. Always
// 0x00040700, also when closed. The open XML files stay open and locked, and
// the error text stays as it is.
XMLXSL_API DWORD XMLXSL_Close() noexcept;

// Exports the codeplug object into the scrambled XML file fileName: every
// block through GetBlock (codeplug/icodeplug.h), the document's text in the
// ANSI code page (a character the page lacks as a character reference),
// every byte XORed with 0xD4. The file stays open and locked for this
// codeplug object until XMLXSL_CloseXMLFile(its address): exporting the same
// object to the same name rewrites that file, to another name moves the
// lock to the new file once it is written.
// 0x00040700; 0x80040701 closed; E_POINTER for a null codeplug;
// 0x80040703 (XMLXSL_E_FILEOPEN) when the file cannot be opened (a folder,
// no access, locked by another opener, this library's table included);
// 0x80040705 (XMLXSL_E_FILEIO) when writing fails; a block's failure:
// 0x80040708 to 0x8004070E, 0x80040711, or GetBlock's own result; 0x80040706
// for a character that cannot be written in the document; 0x80040716 out
// of memory; a document server status.
// On failure the lock table is as it was. A failed conversion writes no
// file; a failed write may leave a new or truncated file partly written.
XMLXSL_API DWORD XMLXSL_CP2XML(const char* fileName, ICodeplug* codeplug) noexcept;

// Reads the scrambled XML file fileName into the codeplug object, block by
// block through SetBlock. On success the file stays open and locked for
// this codeplug object (a file it held before is released).
// 0x00040700; 0x80040701 closed; E_POINTER for a null codeplug; 0x80040703
// when the file cannot be opened (missing, a folder, locked: a file this
// library holds for any codeplug object included); 0x80040705 read error;
// 0x80040716 out of memory; a document server status for a text that is no
// XML (0x80040404) or lacks an element (0x80040403); 0x8004070A,
// 0x8004070F, 0x80040710, or SetBlock's own result for a block.
// On failure the file is closed again and the lock table is as it was; the
// blocks set before the failing one stay set in the codeplug object.
XMLXSL_API DWORD XMLXSL_XML2CP(const char* fileName, ICodeplug* codeplug) noexcept;

// Releases the file held for the codeplug object at that address (the
// handle is reinterpret_cast<std::uintptr_t>(codeplug)), which others may
// then open. 0x00040700; 0x80040704 (XMLXSL_E_HANDLE) when nothing is held
// for it; 0x80040705 when closing fails (the file is released all the same,
// but its data may not have reached the disk). Works while closed.
XMLXSL_API DWORD XMLXSL_CloseXMLFile(std::uintptr_t handle) noexcept;

// The printable HTML report of the codeplug object, in the language that
// the VT_BSTR variant names (a variant of another type counts as an unknown
// language). The template at templatePath is translated into that language
// and run after "pretransform.qzt" beside it; the registry (XMLXSL_REGISTRY)
// names the language's resource string file, found beside the template,
// and the dealer heading. Display names and texts come from GetFieldName and
// TranslateChoice (resourcemanager/resourcemanager.h).
// 0x00040700 with *html a new BSTR; 0x80040701 closed; E_POINTER for a null
// codeplug or html; the export's statuses (see XMLXSL_CP2XML); the report's:
// 0x80040703, 0x80040707, 0x80040712 to 0x80040718, and 0x80040000 OR n for
// a registry read that failed with n (2: no key for the language, 1: a
// value missing). A failed report appends English lines that say why to the
// error text (XMLXSL_GetReportError); a failed export appends none.
// *html is written only on success. No file is written.
XMLXSL_API DWORD XMLXSL_CreateHTML(ICodeplug* codeplug, const char* templatePath, VARIANT* language, BSTR* html) noexcept;

// The text of the document the server holds: the latest export's, import's
// or report's. Returns the server's own status unchanged (the built-in
// server's success is 0x00040400, not 0x00040700) or 0x80040701 closed.
// option 1 begins the text with an XML declaration naming the code page, 0
// gives the elements alone. The built-in server sets *text to null first
// and to a new BSTR on success.
XMLXSL_API DWORD XMLXSL_WriteXML(BSTR* text, LONG option) noexcept;

// A new BSTR copy of the whole error text (gXSLErrorMsg), widened through the
// ANSI code page; the text stays as it is. 0x00040700; E_POINTER for a null
// text; 0x80040716 out of memory, *text untouched. Works while closed.
XMLXSL_API DWORD XMLXSL_GetReportError(BSTR* text) noexcept;

}  // extern "C"
