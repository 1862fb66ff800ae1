#include "localise/installation_settings.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "platform/ansi.h"
#include "platform/debugoutput.h"
#include "platform/registry.h"
#include "platform/unique_bstr.h"
#include "platform/unique_hkey.h"

namespace {

constexpr DWORD kSucceeded = 0;
constexpr DWORD kQueryFailed = 1;
constexpr DWORD kNoMemory = 9;
constexpr DWORD kNotAString = 13;
// A null result pointer, refused rather than written through.
constexpr DWORD kNoResult = ERROR_INVALID_PARAMETER;

constexpr char kProductKey[] = "Software\\Corvane\\TORVALE";
constexpr char kLanguageKey[] = "Software\\Corvane\\TORVALE\\Language\\";


// "Error in GetDealerInfoLeft\n" and the like, as one debugger message.
void report_to_debugger(const char* trouble, const char* function) noexcept {
    char line[96];
    std::snprintf(line, sizeof line, "%s%s\n", trouble, function);
    OutputDebugStringA(line);
}

template <class T>
std::unique_ptr<T[]> try_allocate_zeroed(std::size_t count) noexcept {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

// A value as the two-pass read leaves it: `size` bytes of data in a
// zero-filled buffer one byte longer, so that data that brings no terminator
// gets one.
struct registry_value {
    std::unique_ptr<BYTE[]> bytes;
    DWORD size = 0;
    DWORD type = REG_NONE;
};

// Asks for the size, then reads into a buffer one larger. kQueryFailed or
// kNoMemory, each with "Error in <function>\n" on the debugger output.
DWORD try_read_value(HKEY key, const char* name, bool askType, const char* function, registry_value& value) noexcept {
    DWORD* type = askType ? &value.type : nullptr;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
        report_to_debugger("Error in ", function);
        return kQueryFailed;
    }
    if (size == std::numeric_limits<DWORD>::max()) {
        report_to_debugger("Error in ", function);
        return kNoMemory;
    }
    ++size;
    value.bytes = try_allocate_zeroed<BYTE>(size);
    if (!value.bytes) {
        report_to_debugger("Error in ", function);
        return kNoMemory;
    }
    if (RegQueryValueExA(key, name, nullptr, type, value.bytes.get(), &size) != ERROR_SUCCESS) {
        report_to_debugger("Error in ", function);
        return kQueryFailed;
    }
    value.size = size;
    return kSucceeded;
}

// The text up to the first NUL, through the ANSI code page, as the
// multi-string is: a dealer's "€" or a Cyrillic street name comes through
// as written, and a resource file name reaches the file system as the same
// bytes. The length is bounded by the data, which may bring no terminator.
DWORD try_widen_plain(const registry_value& value, const char* function, unique_bstr& text) noexcept {
    const char* data = reinterpret_cast<const char*>(value.bytes.get());
    try {
        text = to_bstr(std::string_view(data, std::find(data, data + value.size, '\0') - data));
        return kSucceeded;
    } catch (const std::bad_alloc&) {
        report_to_debugger("Failed _bstr_t construction in ", function);
        return kNoMemory;
    }
}

// The list's strings joined by CR LF, through the ANSI code page. The last
// two bytes are the last string's terminator and the list's closing NUL;
// data of fewer than two bytes (an empty list) gives an empty text.
DWORD try_join_lines(const registry_value& value, const char* function, unique_bstr& text) noexcept {
    std::string joined;
    try {
        const std::size_t kept = value.size < 2 ? 0 : value.size - 2;
        const BYTE* data = value.bytes.get();
        joined.reserve(kept + static_cast<std::size_t>(std::count(data, data + kept, BYTE{0})));
        for (std::size_t i = 0; i < kept; ++i) {
            if (data[i] == 0)
                joined += "\r\n";
            else
                joined += static_cast<char>(data[i]);
        }
    } catch (const std::bad_alloc&) {
        report_to_debugger("Error in ", function);
        return kNoMemory;
    }
    try {
        text = to_bstr(joined);
        return kSucceeded;
    } catch (const std::bad_alloc&) {
        report_to_debugger("Failed _bstr_t construction in ", function);
        return kNoMemory;
    }
}

void clear_result(VARIANT* result) noexcept {
    VariantClear(result);
    VariantInit(result);
}

void publish(unique_bstr& text, VARIANT* result) noexcept {
    result->vt = VT_BSTR;
    result->bstrVal = text.release();
}

// The one reader behind the three dealer getters.
DWORD read_dealer_info(const char* valueName, const char* function, VARIANT* result) noexcept {
    if (result == nullptr) return kNoResult;
    clear_result(result);

    unique_hkey key;
    if (LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, key.put());
        status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);

    registry_value value;
    if (DWORD code = try_read_value(key.get(), valueName, true, function, value); code != kSucceeded) return code;
    unique_bstr text;
    const DWORD code =
        value.type == REG_MULTI_SZ ? try_join_lines(value, function, text) : try_widen_plain(value, function, text);
    if (code != kSucceeded) return code;
    publish(text, result);
    return kSucceeded;
}

}  // namespace

DWORD GetXSLResourceFilePathAndName(VARIANT* language, VARIANT* result) {
    constexpr char kFunction[] = "GetXSLResourceFilePathAndName";
    if (language == nullptr || language->vt != VT_BSTR) return kNotAString;
    if (result == nullptr) return kNoResult;

    // Taken before the result is cleared, which may be the language itself.
    std::string subKey;
    try {
        subKey = kLanguageKey + to_ansi(language->bstrVal);
    } catch (const std::bad_alloc&) {
        report_to_debugger("Failed _bstr_t construction in ", kFunction);
        return kNoMemory;
    }
    clear_result(result);

    unique_hkey key;
    if (LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, key.put());
        status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);

    registry_value value;
    if (DWORD code = try_read_value(key.get(), "ReportResource", false, kFunction, value); code != kSucceeded)
        return code;
    unique_bstr text;
    if (DWORD code = try_widen_plain(value, kFunction, text); code != kSucceeded) return code;
    publish(text, result);
    return kSucceeded;
}

DWORD GetDealerInfoLeft(VARIANT* result) { return read_dealer_info("DealerInfoLeft", "GetDealerInfoLeft", result); }

DWORD GetDealerInfoMiddle(VARIANT* result) {
    return read_dealer_info("DealerInfoMiddle", "GetDealerInfoMiddle", result);
}

DWORD GetDealerInfoRight(VARIANT* result) { return read_dealer_info("DealerInfoRight", "GetDealerInfoRight", result); }
