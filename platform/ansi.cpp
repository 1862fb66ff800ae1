#include "platform/ansi.h"

#include <algorithm>
#include <climits>
#include <new>

#include "platform/codepage.h"

namespace {

// The conversion functions count in int; a longer text cannot be converted
// in one piece and cannot become a BSTR either.
void require_convertible(std::size_t length) {
    if (length > INT_MAX) throw std::bad_alloc();
}

// Widens `text` into `out`, which has room for text.size() units: a byte
// never widens to more than one unit. Returns the units written.
std::size_t widen_into(std::string_view text, char16_t* out) {
    if (text.empty()) return 0;
    const int size = static_cast<int>(text.size());
    const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), size, out, size);
    if (written == 0) throw std::bad_alloc();
    return static_cast<std::size_t>(written);
}

}  // namespace

std::string to_ansi(const OLECHAR* text) {
    if (!text) return {};
    return to_ansi(text, std::char_traits<OLECHAR>::length(text));
}

std::string to_ansi(const OLECHAR* text, std::size_t length) {
    if (!text || length == 0) return {};
    require_convertible(length);
    CPINFO page{};
    if (!GetCPInfo(CP_ACP, &page)) throw std::bad_alloc();
    // Sized for the widest outcome so that one pass suffices; the excess is
    // cut off afterwards.
    std::string narrow(length * page.MaxCharSize, '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), narrow.data(),
                            static_cast<int>(std::min<std::size_t>(narrow.size(), INT_MAX)), nullptr, nullptr);
    if (written == 0) throw std::bad_alloc();
    narrow.resize(static_cast<std::size_t>(written));
    return narrow;
}

unique_bstr to_bstr(std::string_view text) {
    require_convertible(text.size());
    unique_bstr wide(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())));
    if (!wide) throw std::bad_alloc();
    const std::size_t written = widen_into(text, wide.get());
    if (written == text.size()) return wide;
    // Double-byte characters made the text shorter, and a BSTR's length is
    // fixed when it is made.
    unique_bstr exact(SysAllocStringLen(wide.get(), static_cast<UINT>(written)));
    if (!exact) throw std::bad_alloc();
    return exact;
}

std::u16string to_wide(std::string_view text) {
    require_convertible(text.size());
    std::u16string wide(text.size(), u'\0');
    wide.resize(widen_into(text, wide.data()));
    return wide;
}

bool try_to_utf8(std::u16string_view text, std::string& out, ill_formed policy) {
    if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
        out.assign(text.begin(), text.end());
        return true;
    }
    // Three bytes at most for each unit.
    if (text.size() > INT_MAX / 3) throw std::bad_alloc();
    const DWORD flags = policy == ill_formed::refuse ? WC_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    out.resize(text.size() * 3);
    const int written = WideCharToMultiByte(CP_UTF8, flags, text.data(), size, out.data(),
                                            static_cast<int>(out.size()), nullptr, nullptr);
    if (written == 0) return false;
    out.resize(static_cast<std::size_t>(written));
    return true;
}

bool try_from_utf8(std::string_view text, std::u16string& out, ill_formed policy) {
    if (std::all_of(text.begin(), text.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; })) {
        out.assign(text.begin(), text.end());
        return true;
    }
    require_convertible(text.size());
    const DWORD flags = policy == ill_formed::refuse ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    // A byte never becomes more than one unit.
    out.resize(text.size());
    const int written = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, out.data(), size);
    if (written == 0) return false;
    out.resize(static_cast<std::size_t>(written));
    return true;
}
