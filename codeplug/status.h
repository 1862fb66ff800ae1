#pragma once

// The library's status codes, laid out like COM HRESULTs of the interface
// facility: 0x00040700 is success, failures are 0x800407xx. Results of the
// document server, the codeplug object and the resource manager are passed
// through unchanged, so a status can also be one of theirs. A report whose
// registry read fails gives 0x80040000 OR the registry's result (0x80040002:
// no key for the language; 0x80040001: a value missing).

#include "platform/wintypes.h"

// Success.
constexpr DWORD XMLXSL_S_OK = 0x00040700;
// The library is not open (XMLXSL_Open).
constexpr DWORD XMLXSL_E_NOTOPEN = 0x80040701;
// The document server cannot be created (COM not initialised on the thread, or no server).
constexpr DWORD XMLXSL_E_SERVER = 0x80040702;
// A file cannot be opened: missing, a folder, no access, or locked by another opener.
constexpr DWORD XMLXSL_E_FILEOPEN = 0x80040703;
// No open XML file for that codeplug object.
constexpr DWORD XMLXSL_E_HANDLE = 0x80040704;
// A file error while reading or writing an XML file (a full disk, say).
constexpr DWORD XMLXSL_E_FILEIO = 0x80040705;
// An exception came out of a conversion, or the XML holds a character the code page cannot write.
constexpr DWORD XMLXSL_E_CONVERT = 0x80040706;
// An exception came out of the report generator.
constexpr DWORD XMLXSL_E_REPORT = 0x80040707;
// A block variant is not of its kind's array shape.
constexpr DWORD XMLXSL_E_BLOCKSHAPE = 0x80040708;
// A cell of a block cannot be read, has the wrong type, or holds U+0000 or a lone surrogate.
constexpr DWORD XMLXSL_E_GETELEMENT = 0x80040709;
// A cell of a block cannot be stored.
constexpr DWORD XMLXSL_E_PUTELEMENT = 0x8004070A;
// A block kind other than TYPE, ENTRY or LIST.
constexpr DWORD XMLXSL_E_BLOCKKIND = 0x8004070B;
// A lower bound of a block's array cannot be read.
constexpr DWORD XMLXSL_E_LBOUND = 0x8004070C;
// An upper bound of a block's array cannot be read.
constexpr DWORD XMLXSL_E_UBOUND = 0x8004070D;
// A field id outside 1 to 470 in a block.
constexpr DWORD XMLXSL_E_FIELDID = 0x8004070E;
// A block's array cannot be created.
constexpr DWORD XMLXSL_E_ARRAYCREATE = 0x8004070F;
// The codeplug object threw from SetBlock.
constexpr DWORD XMLXSL_E_SETBLOCK = 0x80040710;
// The codeplug object threw from GetBlock.
constexpr DWORD XMLXSL_E_GETBLOCK = 0x80040711;
// A line of the resource string file has a key but no value.
constexpr DWORD XMLXSL_E_RESOURCELINE = 0x80040712;
// A resource string is missing, or the template translation failed.
constexpr DWORD XMLXSL_E_RESOURCE = 0x80040713;
// A template tag between carets is not four characters long.
constexpr DWORD XMLXSL_E_TAGLENGTH = 0x80040714;
// An uneven number of carets, or a template path without a folder.
constexpr DWORD XMLXSL_E_FORMAT = 0x80040715;
// Out of memory, a template that would grow by more than 4 MiB, or an unexpected exception in a report.
constexpr DWORD XMLXSL_E_MEMORY = 0x80040716;
// A transformation's product lacks its closing tag.
constexpr DWORD XMLXSL_E_PRODUCT = 0x80040717;
// A read error in a text file.
constexpr DWORD XMLXSL_E_READ = 0x80040718;

// Each status space has a success test of its own, and in every one a status
// with its top bit set is a failure, whatever its low word says: a codeplug
// object's 0x80070700 is no library success, nor a server's 0x80040400 a
// server success.
constexpr bool IsFailure(DWORD status) { return (status & 0x80000000u) != 0; }
// The library's own statuses: top bit clear, low word 0x0700.
constexpr bool IsLibrarySuccess(DWORD status) { return !IsFailure(status) && (status & 0xFFFFu) == 0x0700; }
// The document server's: top bit clear, low word 0x0400.
constexpr bool IsServerSuccess(HRESULT status) {
    return !IsFailure(static_cast<DWORD>(status)) && (static_cast<DWORD>(status) & 0xFFFFu) == 0x0400;
}
// A codeplug object's or the resource manager's result: top bit clear.
constexpr bool IsResultSuccess(HRESULT result) { return !IsFailure(static_cast<DWORD>(result)); }
// A short status of the report path: exactly 0x0700.
constexpr bool IsShortSuccess(DWORD shortStatus) { return shortStatus == 0x0700; }
// A registry function's result, or a settings getter's: exactly 0.
constexpr bool IsRegistrySuccess(DWORD result) { return result == 0; }

// A foreign status that failed by its own test, as the library passes it on:
// unchanged, unless it would read as the library's success (a server that
// fails with 0x00040700, say), which would hide the failure from the host.
constexpr DWORD PassedOnFailure(DWORD foreignFailure) {
    return IsLibrarySuccess(foreignFailure) ? XMLXSL_E_CONVERT : foreignFailure;
}

// A document server call, or a codeplug object's or resource manager's
// result, as a status of the library's: its success, or its failure passed on.
constexpr DWORD FromServerStatus(HRESULT status) {
    return IsServerSuccess(status) ? XMLXSL_S_OK : PassedOnFailure(static_cast<DWORD>(status));
}
constexpr DWORD FromResult(HRESULT result) {
    return IsResultSuccess(result) ? XMLXSL_S_OK : PassedOnFailure(static_cast<DWORD>(result));
}

// Inside the report path statuses travel as their low 16 bits; the entry
// point widens them: 0x0700 is success, anything else gains 0x80040000, so a
// registry result of 2 becomes 0x80040002.
constexpr DWORD WidenShortStatus(DWORD shortStatus) {
    return IsShortSuccess(shortStatus) ? XMLXSL_S_OK : (shortStatus | 0x80040000u);
}
