#pragma once

// The library's status codes, laid out like COM HRESULTs of the interface
// facility: 0x00040700 is success, failures are 0x800407xx. Results of the
// document server, the codeplug object and the resource manager are passed
// through unchanged, so a status can also be one of theirs.

#include <string_view>

#include "platform/wintypes.h"

constexpr DWORD XMLXSL_S_OK = 0x00040700;
constexpr DWORD XMLXSL_E_NOTOPEN = 0x80040701;
constexpr DWORD XMLXSL_E_SERVER = 0x80040702;
constexpr DWORD XMLXSL_E_FILEOPEN = 0x80040703;
constexpr DWORD XMLXSL_E_HANDLE = 0x80040704;
constexpr DWORD XMLXSL_E_FILEIO = 0x80040705;
constexpr DWORD XMLXSL_E_CONVERT = 0x80040706;
constexpr DWORD XMLXSL_E_REPORT = 0x80040707;
constexpr DWORD XMLXSL_E_BLOCKSHAPE = 0x80040708;
constexpr DWORD XMLXSL_E_GETELEMENT = 0x80040709;
constexpr DWORD XMLXSL_E_PUTELEMENT = 0x8004070A;
constexpr DWORD XMLXSL_E_BLOCKKIND = 0x8004070B;
constexpr DWORD XMLXSL_E_LBOUND = 0x8004070C;
constexpr DWORD XMLXSL_E_UBOUND = 0x8004070D;
constexpr DWORD XMLXSL_E_FIELDID = 0x8004070E;
constexpr DWORD XMLXSL_E_ARRAYCREATE = 0x8004070F;
constexpr DWORD XMLXSL_E_SETBLOCK = 0x80040710;
constexpr DWORD XMLXSL_E_GETBLOCK = 0x80040711;
constexpr DWORD XMLXSL_E_RESOURCELINE = 0x80040712;
constexpr DWORD XMLXSL_E_RESOURCE = 0x80040713;
constexpr DWORD XMLXSL_E_TAGLENGTH = 0x80040714;
constexpr DWORD XMLXSL_E_FORMAT = 0x80040715;
constexpr DWORD XMLXSL_E_MEMORY = 0x80040716;
constexpr DWORD XMLXSL_E_PRODUCT = 0x80040717;
constexpr DWORD XMLXSL_E_READ = 0x80040718;

// Failure is the top bit; success of a library call is the low word 0x0700.
constexpr bool IsFailure(DWORD status) { return (status & 0x80000000u) != 0; }
constexpr bool IsLibrarySuccess(DWORD status) { return (status & 0xFFFFu) == 0x0700; }

// Inside the report path statuses travel as their low 16 bits; the entry
// point widens them: 0x0700 is success, anything else gains 0x80040000, so a
// registry result of 2 becomes 0x80040002.
constexpr DWORD WidenShortStatus(DWORD shortStatus) {
    return shortStatus == 0x0700 ? XMLXSL_S_OK : (shortStatus | 0x80040000u);
}

struct StatusDescription {
    DWORD code;
    std::string_view name;
    std::string_view meaning;
};

inline constexpr StatusDescription kStatusDescriptions[] = {
    {XMLXSL_S_OK, "XMLXSL_S_OK", "success"},
    {XMLXSL_E_NOTOPEN, "XMLXSL_E_NOTOPEN", "the library is not open"},
    {XMLXSL_E_SERVER, "XMLXSL_E_SERVER", "the document server cannot be created"},
    {XMLXSL_E_FILEOPEN, "XMLXSL_E_FILEOPEN", "a file cannot be opened"},
    {XMLXSL_E_HANDLE, "XMLXSL_E_HANDLE", "no open XML document under the handle"},
    {XMLXSL_E_FILEIO, "XMLXSL_E_FILEIO", "file error while reading or writing an XML file"},
    {XMLXSL_E_CONVERT, "XMLXSL_E_CONVERT", "an exception came out of a codeplug/XML conversion"},
    {XMLXSL_E_REPORT, "XMLXSL_E_REPORT", "an exception came out of the report generator"},
    {XMLXSL_E_BLOCKSHAPE, "XMLXSL_E_BLOCKSHAPE", "block data is not of the expected array shape"},
    {XMLXSL_E_GETELEMENT, "XMLXSL_E_GETELEMENT", "reading one element of block data failed"},
    {XMLXSL_E_PUTELEMENT, "XMLXSL_E_PUTELEMENT", "storing one element into block data failed"},
    {XMLXSL_E_BLOCKKIND, "XMLXSL_E_BLOCKKIND", "a block kind other than TYPE, ENTRY or LIST"},
    {XMLXSL_E_LBOUND, "XMLXSL_E_LBOUND", "the lower bound of block data cannot be read"},
    {XMLXSL_E_UBOUND, "XMLXSL_E_UBOUND", "the upper bound of block data cannot be read"},
    {XMLXSL_E_FIELDID, "XMLXSL_E_FIELDID", "a field id outside 1 to 470 in block data"},
    {XMLXSL_E_ARRAYCREATE, "XMLXSL_E_ARRAYCREATE", "block data array cannot be created"},
    {XMLXSL_E_SETBLOCK, "XMLXSL_E_SETBLOCK", "an exception came out of handing a block to the codeplug"},
    {XMLXSL_E_GETBLOCK, "XMLXSL_E_GETBLOCK", "an exception came out of fetching a block from the codeplug"},
    {XMLXSL_E_RESOURCELINE, "XMLXSL_E_RESOURCELINE", "a resource string line has no blank or tab after its key"},
    {XMLXSL_E_RESOURCE, "XMLXSL_E_RESOURCE", "a resource string is missing, or the template translation failed"},
    {XMLXSL_E_TAGLENGTH, "XMLXSL_E_TAGLENGTH", "a template tag between carets has the wrong length"},
    {XMLXSL_E_FORMAT, "XMLXSL_E_FORMAT", "an uneven number of carets, or a template path without a separator"},
    {XMLXSL_E_MEMORY, "XMLXSL_E_MEMORY", "lack of memory, or an unexpected exception in the report generator"},
    {XMLXSL_E_PRODUCT, "XMLXSL_E_PRODUCT", "the product of a transformation lacks its closing tag"},
    {XMLXSL_E_READ, "XMLXSL_E_READ", "a read error while reading a text file"},
};

// The entry for a code of the library's own table, or null for a foreign one.
constexpr const StatusDescription* FindStatusDescription(DWORD code) {
    for (const auto& description : kStatusDescriptions)
        if (description.code == code) return &description;
    return nullptr;
}
