#include "docserver/utf8_text.h"

#include <algorithm>
#include <climits>

#include "platform/codepage.h"

namespace docserver {

bool try_to_utf8(const OLECHAR* text, std::string& out) {
    out.clear();
    if (text == nullptr) return true;
    const OLECHAR* end = text;
    bool ascii = true;
    for (; *end != 0; ++end) ascii = ascii && *end < 0x80;
    if (ascii) {
        out.resize(static_cast<std::size_t>(end - text));
        std::copy(text, end, out.begin());
        return true;
    }
    if (end - text > INT_MAX / 3) return false;
    int length = static_cast<int>(end - text);
    int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    out.resize(static_cast<std::size_t>(needed));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, out.data(), needed, nullptr, nullptr) ==
           needed;
}

unique_bstr to_bstr_from_utf8(std::string_view text, std::u16string& scratch) {
    if (text.size() > INT_MAX) return {};
    bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        scratch.assign(text.begin(), text.end());
    } else {
        int length = static_cast<int>(text.size());
        int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
        if (needed <= 0) return {};
        scratch.resize(static_cast<std::size_t>(needed));
        if (MultiByteToWideChar(CP_UTF8, 0, text.data(), length, scratch.data(), needed) != needed) return {};
    }
    return unique_bstr(SysAllocStringLen(scratch.data(), static_cast<UINT>(scratch.size())));
}

}  // namespace docserver
