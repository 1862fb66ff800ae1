#include "host/status_text.h"

#include <cstdio>
#include <string_view>

#include "codeplug/status.h"
#include "docserver/docserver.h"

namespace {

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
