#include "report/error_report.h"

#include <new>

#include "platform/ansi.h"

// Built before the library's other global objects, which may append to it,
// and destroyed after them: the priority orders it across the library's
// files, which plain definitions do not.
__attribute__((init_priority(101))) std::string gXSLErrorMsg = "Errors: \n";

namespace {

// The longest formatted message, in bytes: such messages have always been
// formatted into 256-byte buffers, terminator included.
// A longer one is cut where a character ends, so that a lone lead byte
// cannot swallow the first byte of the next message.
constexpr std::size_t kFormattedLimit = 255;

}  // namespace

void AppendReportError(std::string_view message) {
    try {
        gXSLErrorMsg.append(message);
    } catch (const std::bad_alloc&) {
    }
}

void AppendReportError(std::string_view format, std::string_view value) {
    // As C formatting reads a "%s" argument: up to its first NUL.
    value = value.substr(0, value.find('\0'));
    try {
        std::string formatted(format);
        if (const auto marker = formatted.find("%s"); marker != std::string::npos) formatted.replace(marker, 2, value);
        gXSLErrorMsg.append(formatted, 0, ansi_characters().fitting(formatted, kFormattedLimit));
    } catch (const std::bad_alloc&) {
    }
}
