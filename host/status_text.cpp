#include "host/status_text.h"

#include <cstdio>
#include <string_view>

#include "codeplug/status.h"
#include "docserver/docserver.h"

namespace {

struct StatusDescription {
    DWORD code;
    std::string_view name;
    std::string_view meaning;
};

constexpr StatusDescription kStatusDescriptions[] = {
    {XMLXSL_S_OK, "XMLXSL_S_OK", "success"},
    {XMLXSL_E_NOTOPEN, "XMLXSL_E_NOTOPEN", "the library is not open"},
    {XMLXSL_E_SERVER, "XMLXSL_E_SERVER", "the document server cannot be created"},
    {XMLXSL_E_FILEOPEN, "XMLXSL_E_FILEOPEN", "a file cannot be opened"},
    {XMLXSL_E_HANDLE, "XMLXSL_E_HANDLE", "no open XML document under the handle"},
    {XMLXSL_E_FILEIO, "XMLXSL_E_FILEIO", "file error while reading or writing an XML file"},
    {XMLXSL_E_CONVERT, "XMLXSL_E_CONVERT", "an exception came out of a codeplug/XML conversion"},
    {XMLXSL_E_REPORT, "XMLXSL_E_REPORT", "an exception came out of the report generator"},
    {XMLXSL_E_BLOCKSHAPE, "XMLXSL_E_BLOCKSHAPE", "block data is not of the expected array shape"},
    {XMLXSL_E_GETELEMENT, "XMLXSL_E_GETELEMENT",
     "reading one element of block data failed, or a value holds U+0000 or a lone surrogate"},
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


constexpr std::string_view kReportIt = "a fault of the program or the library: please report it";

struct advice {
    DWORD code;
    std::string_view text;
};

// What to do, for the library's statuses that a user can meet.
constexpr advice kAdvice[] = {
    {XMLXSL_E_FILEOPEN, "check the path and its folder's permissions, and that no other program holds the file"},
    {XMLXSL_E_FILEIO, "check that the disk has room and works"},
    {XMLXSL_E_CONVERT, "the file may be damaged; if it is not, please report it"},
    {XMLXSL_E_REPORT, "check the report template; if it is sound, please report it"},
    {XMLXSL_E_FIELDID, "give every row a field id from 1 to 470"},
    {XMLXSL_E_RESOURCELINE, "put a blank or a tab between each key and its text in the resource string file"},
    {XMLXSL_E_RESOURCE, "add what the lines below name to the language's resource string file"},
    {XMLXSL_E_TAGLENGTH, "make every tag between carets in the template four characters long"},
    {XMLXSL_E_FORMAT, "pair the carets in the template, and give the template's path with its folder"},
    {XMLXSL_E_MEMORY, "close other programs and try again"},
    {XMLXSL_E_PRODUCT, "check the report template: it must make one whole HTML document"},
    {XMLXSL_E_READ, "check that the template's folder and files can be read"},
};

struct other_status {
    HRESULT code;
    std::string_view name;
    std::string_view meaning;
    std::string_view advice;
};

constexpr std::string_view kNotACodeplug = "restore the file from a copy, or export it again";

// The document server's statuses, and the one standard result that the
// program's own codeplug object gives.
constexpr other_status kOtherStatuses[] = {
    {DOCSERVER_E_NOTINITIALIZED, "DOCSERVER_E_NOTINITIALIZED", "the document server was used before it was ready",
     kReportIt},
    {DOCSERVER_E_BADHANDLE, "DOCSERVER_E_BADHANDLE", "the document server was given a node it never made", kReportIt},
    {DOCSERVER_E_NOTFOUND, "DOCSERVER_E_NOTFOUND",
     "the XML document lacks an element that every codeplug has: it may be damaged, or not a codeplug file",
     kNotACodeplug},
    {DOCSERVER_E_MALFORMED, "DOCSERVER_E_MALFORMED",
     "the file is not well-formed XML: it may be damaged, or not a codeplug file", kNotACodeplug},
    {DOCSERVER_E_DOCTYPE, "DOCSERVER_E_DOCTYPE",
     "the XML text holds a document type declaration, which no codeplug file has", "give a codeplug file"},
    {DOCSERVER_E_INVALIDARG, "DOCSERVER_E_INVALIDARG", "the document server refused a name or a text",
     "the file may hold a name that XML does not allow; if not, please report it"},
    {DOCSERVER_E_OUTOFMEMORY, "DOCSERVER_E_OUTOFMEMORY", "the document server ran out of memory",
     "close other programs and try again"},
    {DOCSERVER_E_SECONDROOT, "DOCSERVER_E_SECONDROOT", "a second root element was made", kReportIt},
    {DOCSERVER_E_UNEXPECTED, "DOCSERVER_E_UNEXPECTED", "an internal error of the document server", kReportIt},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "not enough memory", "close other programs and try again"},
};

std::string hex(DWORD status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

std::string line(std::string_view name, DWORD code, std::string_view meaning, std::string_view todo) {
    return std::string(name) + " (" + hex(code) + "): " + std::string(meaning) + "; " + std::string(todo);
}

}  // namespace

std::string DescribeStatus(DWORD status) {
    if (const StatusDescription* description = FindStatusDescription(status)) {
        std::string_view todo = kReportIt;
        for (const advice& entry : kAdvice)
            if (entry.code == status) todo = entry.text;
        return line(description->name, status, description->meaning, todo);
    }
    for (const other_status& entry : kOtherStatuses)
        if (static_cast<DWORD>(entry.code) == status) return line(entry.name, status, entry.meaning, entry.advice);
    return hex(status) + ": a result of the codeplug object or the resource manager; please report it";
}

std::string NameStatus(DWORD status) {
    if (const StatusDescription* description = FindStatusDescription(status))
        return std::string(description->name) + " (" + hex(status) + ")";
    for (const other_status& entry : kOtherStatuses)
        if (static_cast<DWORD>(entry.code) == status) return std::string(entry.name) + " (" + hex(status) + ")";
    return hex(status);
}
