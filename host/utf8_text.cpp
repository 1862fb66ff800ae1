#include "host/utf8_text.h"

#include <climits>

#include "platform/codepage.h"

std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8) {
    if (utf8.empty()) return std::u16string();
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    int size = static_cast<int>(utf8.size());
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::u16string utf16(static_cast<std::size_t>(length), u'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, utf16.data(), length) != length)
        return std::nullopt;
    return utf16;
}

std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16) {
    if (utf16.empty()) return std::string();
    // Three bytes at most for each UTF-16 unit.
    if (utf16.size() > static_cast<std::size_t>(INT_MAX / 3)) return std::nullopt;
    int size = static_cast<int>(utf16.size());
    int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::nullopt;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), size, utf8.data(), length, nullptr, nullptr) !=
        length)
        return std::nullopt;
    return utf8;
}
