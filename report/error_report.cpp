#include "report/error_report.h"

#include <new>

#include "platform/codepage.h"

namespace {

// The longest formatted message, in bytes: such messages have always been
// formatted into 256-byte buffers, terminator included.
constexpr std::size_t kFormattedLimit = 255;

// The length of the longest start of text that fits in limit bytes without
// splitting a double-byte character, whose lone lead byte would otherwise
// swallow the first byte of the next message.
std::size_t cut_length(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size();
        const std::size_t next = end + (pair ? 2 : 1);
        if (next > limit) break;
        end = next;
    }
    return end;
}

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
        gXSLErrorMsg.append(formatted, 0, cut_length(formatted, kFormattedLimit));
    } catch (const std::bad_alloc&) {
    }
}
