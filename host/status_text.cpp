#include "host/status_text.h"

#include <cstdio>

#include "codeplug/status.h"

namespace {

std::string hex(DWORD status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

}  // namespace

std::string DescribeStatus(DWORD status) {
    if (const StatusDescription* description = FindStatusDescription(status))
        return std::string(description->name) + " (" + hex(status) + "): " + std::string(description->meaning);
    return hex(status) + ": a status of the document server, the codeplug object or the resource manager";
}

std::string DescribeReportStatus(DWORD status) {
    // Registry results are Windows error codes, well below the library's own
    // 0x07xx and the document server's 0x04xx.
    DWORD result = status & 0xFFFFu;
    if ((status & 0xFFFF0000u) == 0x80040000u && result != 0 && result < 0x0400)
        return hex(status) + ": the report's registry settings cannot be read (result " + std::to_string(result) + ")";
    return DescribeStatus(status);
}
