#include <cstring>

#include "platform/oleauto.h"
#include "platform/oleheap.h"

namespace {

constexpr std::size_t kPrefixBytes = sizeof(DWORD);
// Windows caps a BSTR below 2 GiB so that the byte count and its terminator
// stay within 32 bits; longer requests fail as out of memory.
constexpr UINT kMaxBytes = 0x7FFFFFF0;

DWORD* prefix_of(BSTR text) noexcept { return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(text) - kPrefixBytes); }

// Room for the count, `bytes` of content and a NUL OLECHAR, all zeroed; an
// odd `bytes` still gets a whole OLECHAR of zeros after it.
[[nodiscard]] BSTR try_allocate_bytes(UINT bytes) noexcept {
    if (bytes > kMaxBytes) return nullptr;
    void* block = try_ole_allocate_zeroed(kPrefixBytes + bytes + sizeof(OLECHAR) + 1);
    if (!block) return nullptr;
    *static_cast<DWORD*>(block) = bytes;
    return reinterpret_cast<BSTR>(static_cast<char*>(block) + kPrefixBytes);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    UINT length = 0;
    while (text[length] != 0) ++length;
    return SysAllocStringLen(text, length);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > kMaxBytes / sizeof(OLECHAR)) return nullptr;
    BSTR result = try_allocate_bytes(length * sizeof(OLECHAR));
    if (result && text) std::memcpy(result, text, length * sizeof(OLECHAR));
    return result;
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
    BSTR result = try_allocate_bytes(length);
    if (result && bytes) std::memcpy(result, bytes, length);
    return result;
}

void SysFreeString(BSTR text) {
    if (text) ole_free(prefix_of(text));
}

UINT SysStringLen(BSTR text) { return text ? *prefix_of(text) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR text) { return text ? *prefix_of(text) : 0; }
