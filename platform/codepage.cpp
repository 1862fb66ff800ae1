#include "platform/codepage.h"

#include <iconv.h>

#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr UINT kFallbackPage = 1252;

// iconv's names for UTF-32 and UTF-16 in this machine's byte order, so that
// its output reads directly as char32_t and char16_t.
constexpr const char* kNativeUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
constexpr const char* kNativeUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct page_description {
    UINT number;
    const char* iconv_name;
    // What Windows decodes a byte sequence to when it is no character of the
    // page. Windows' own value for 936, 949 and 950 is not documented; '?' is
    // the safe reading.
    char16_t default_character;
};

constexpr std::array<page_description, 13> kPages{{
    {1250, "CP1250", u'?'},
    {1251, "CP1251", u'?'},
    {1252, "CP1252", u'?'},
    {1253, "CP1253", u'?'},
    {1254, "CP1254", u'?'},
    {1255, "CP1255", u'?'},
    {1256, "CP1256", u'?'},
    {1257, "CP1257", u'?'},
    {1258, "CP1258", u'?'},
    {932, "CP932", u'\u30FB'},
    {936, "CP936", u'?'},
    {949, "CP949", u'?'},
    {950, "CP950", u'?'},
}};

// U+FFFF is a noncharacter, which no page decodes to; no page has 0xFF as a
// lead byte, so 0xFFFF is no code either.
constexpr char16_t kNoCharacter = 0xFFFF;
constexpr std::uint16_t kNoCode = 0xFFFF;

std::optional<std::size_t> page_slot(UINT number) noexcept {
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        if (kPages[i].number == number) return i;
    }
    return std::nullopt;
}

class unique_iconv {
public:
    unique_iconv(const char* to, const char* from) noexcept : descriptor_(iconv_open(to, from)) {}
    unique_iconv(const unique_iconv&) = delete;
    unique_iconv& operator=(const unique_iconv&) = delete;
    ~unique_iconv() {
        if (*this) iconv_close(descriptor_);
    }

    explicit operator bool() const noexcept { return descriptor_ != invalid(); }
    iconv_t get() const noexcept { return descriptor_; }
    // Back to the initial shift state, as for a new text.
    void restart() const noexcept { iconv(descriptor_, nullptr, nullptr, nullptr, nullptr); }

private:
    static iconv_t invalid() noexcept { return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

    iconv_t descriptor_;
};

enum class lone_decoding { character, incomplete, nothing };

struct lone_result {
    lone_decoding kind;
    char32_t character;
};

// What iconv makes of `bytes` as a whole text of their own: one character, a
// sequence cut short (the bytes begin a longer character), or nothing usable.
lone_result decode_alone(const unique_iconv& decoder, const unsigned char* bytes, std::size_t count) {
    decoder.restart();
    char input[2];
    std::memcpy(input, bytes, count);
    char* in = input;
    std::size_t in_left = count;
    char32_t output[4];
    char* out = reinterpret_cast<char*>(output);
    std::size_t out_left = sizeof output;
    if (iconv(decoder.get(), &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) {
        return {errno == EINVAL ? lone_decoding::incomplete : lone_decoding::nothing, 0};
    }
    // CP1255 and CP1258 hold a character back to combine it with the next
    // one; the flush releases it.
    iconv(decoder.get(), nullptr, nullptr, &out, &out_left);
    if (sizeof output - out_left != sizeof(char32_t)) return {lone_decoding::nothing, 0};
    return {lone_decoding::character, output[0]};
}

// The code iconv writes for `character` alone, or kNoCode.
std::uint16_t encode_alone(const unique_iconv& encoder, char16_t character) {
    encoder.restart();
    char32_t input = character;
    char* in = reinterpret_cast<char*>(&input);
    std::size_t in_left = sizeof input;
    unsigned char output[4];
    char* out = reinterpret_cast<char*>(output);
    std::size_t out_left = sizeof output;
    if (iconv(encoder.get(), &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) return kNoCode;
    switch (sizeof output - out_left) {
        case 1:
            return output[0];
        case 2:
            return static_cast<std::uint16_t>(output[0] << 8 | output[1]);
        default:
            return kNoCode;
    }
}

// The lookup tables of one ANSI page, derived from iconv's decoding of every
// byte and every double-byte code, with Windows' differences on top. Built
// once, read-only afterwards, so threads share them without a lock.
struct ansi_page {
    const page_description* description = nullptr;
    // By byte; kNoCharacter for lead bytes and bytes that are no character.
    std::array<char16_t, 256> single{};
    // 0 for a byte that is no lead byte, else 1 + its index in rows.
    std::array<std::uint8_t, 256> lead_row{};
    // By trail byte; kNoCharacter where the pair is no character.
    std::vector<std::array<char16_t, 256>> rows;
    // By UTF-16 unit: a single byte, lead << 8 | trail, or kNoCode.
    std::vector<std::uint16_t> codes;

    UINT number() const noexcept { return description->number; }
    bool double_byte() const noexcept { return !rows.empty(); }
    bool is_lead(unsigned char byte) const noexcept { return lead_row[byte] != 0; }
    char16_t pair(unsigned char lead, unsigned char trail) const noexcept { return rows[lead_row[lead] - 1][trail]; }
};

bool is_surrogate(char32_t character) noexcept { return character >= 0xD800 && character <= 0xDFFF; }

// Only BMP characters fit the tables; no page here decodes beyond it.
std::optional<char16_t> as_table_character(const lone_result& decoded) noexcept {
    if (decoded.kind != lone_decoding::character || decoded.character >= kNoCharacter ||
        is_surrogate(decoded.character)) {
        return std::nullopt;
    }
    return static_cast<char16_t>(decoded.character);
}

void apply_windows_differences(ansi_page& page) {
    if (page.number() == 932) {
        page.single[0x80] = u'\u0080';
        page.single[0xA0] = u'\uF8F0';
        page.single[0xFD] = u'\uF8F1';
        page.single[0xFE] = u'\uF8F2';
        page.single[0xFF] = u'\uF8F3';
        return;
    }
    if (page.double_byte()) return;
    // Windows decodes the bytes that a single-byte page leaves unassigned to
    // the characters of the same number (under 1252 0x81, 0x8D, 0x8F, 0x90
    // and 0x9D), so that every byte survives a round trip.
    std::array<bool, 256> taken{};
    for (char16_t character : page.single) {
        if (character < taken.size()) taken[character] = true;
    }
    for (std::size_t byte = 0x80; byte < page.single.size(); ++byte) {
        if (page.single[byte] == kNoCharacter && !taken[byte]) page.single[byte] = static_cast<char16_t>(byte);
    }
}

// Under 932 several characters have two or three codes. Windows writes the
// JIS X 0208 code first, then NEC row 13, then the IBM extensions, and the
// NEC-selected IBM extensions last; within a group the lower code.
int cp932_preference_group(std::uint16_t code) noexcept {
    if (code >= 0x8740 && code <= 0x879C) return 1;
    if (code >= 0xFA40 && code <= 0xFC4B) return 2;
    if (code >= 0xED40 && code <= 0xEEFC) return 3;
    return 0;
}

// The inverse of the decoding tables. Where two codes decode to one
// character, 932 follows Windows' groups; the other pages take the code that
// iconv itself writes for the character.
void build_codes(ansi_page& page) {
    page.codes.assign(0x10000, kNoCode);
    std::optional<unique_iconv> encoder;
    auto offer = [&](char16_t character, std::uint16_t code) {
        std::uint16_t& held = page.codes[character];
        if (held == kNoCode) {
            held = code;
            return;
        }
        if (page.number() == 932) {
            const int held_group = cp932_preference_group(held);
            const int group = cp932_preference_group(code);
            if (group < held_group || (group == held_group && code < held)) held = code;
            return;
        }
        if (!encoder) encoder.emplace(page.description->iconv_name, kNativeUtf32);
        if (*encoder && encode_alone(*encoder, character) == code) held = code;
    };
    for (std::size_t byte = 0; byte < page.single.size(); ++byte) {
        if (page.single[byte] != kNoCharacter) offer(page.single[byte], static_cast<std::uint16_t>(byte));
    }
    for (std::size_t lead = 0; lead < page.lead_row.size(); ++lead) {
        if (!page.is_lead(static_cast<unsigned char>(lead))) continue;
        const auto& row = page.rows[page.lead_row[lead] - 1];
        for (std::size_t trail = 0; trail < row.size(); ++trail) {
            if (row[trail] != kNoCharacter) offer(row[trail], static_cast<std::uint16_t>(lead << 8 | trail));
        }
    }
}

// Null when iconv lacks the page.
std::unique_ptr<ansi_page> try_build_page(const page_description& description) {
    const unique_iconv decoder(kNativeUtf32, description.iconv_name);
    if (!decoder) return nullptr;
    auto page = std::make_unique<ansi_page>();
    page->description = &description;
    page->single.fill(kNoCharacter);
    // A byte that iconv finds cut short on its own is a lead byte.
    for (std::size_t byte = 0; byte < page->single.size(); ++byte) {
        const auto value = static_cast<unsigned char>(byte);
        const lone_result decoded = decode_alone(decoder, &value, 1);
        if (decoded.kind == lone_decoding::incomplete) {
            page->rows.emplace_back();
            page->lead_row[byte] = static_cast<std::uint8_t>(page->rows.size());
        } else if (auto character = as_table_character(decoded)) {
            page->single[byte] = *character;
        }
    }
    for (std::size_t lead = 0; lead < page->lead_row.size(); ++lead) {
        if (!page->lead_row[lead]) continue;
        auto& row = page->rows[page->lead_row[lead] - 1];
        row.fill(kNoCharacter);
        for (std::size_t trail = 1; trail < row.size(); ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            if (auto character = as_table_character(decode_alone(decoder, pair, 2))) row[trail] = *character;
        }
    }
    apply_windows_differences(*page);
    build_codes(*page);
    return page;
}

// The tables of a supported page, built at its first use; null for any other
// page.
const ansi_page* try_page(UINT number) noexcept {
    struct slot {
        std::once_flag built;
        std::unique_ptr<ansi_page> page;
    };
    static std::array<slot, kPages.size()> slots;
    const auto index = page_slot(number);
    if (!index) return nullptr;
    slot& held = slots[*index];
    try {
        // An exception leaves the flag unset, so a later call tries again.
        std::call_once(held.built, [&] { held.page = try_build_page(kPages[*index]); });
    } catch (...) {
        return nullptr;
    }
    return held.page.get();
}

// What XMLXSL_ACP said at load: the page to use, and whether the variable
// was unset or named a supported page.
struct page_setting {
    UINT page;
    bool valid;
};

page_setting page_from_environment() noexcept {
    const char* value = std::getenv("XMLXSL_ACP");
    if (!value) return {kFallbackPage, true};
    const char* end = value + std::strlen(value);
    UINT number = 0;
    const auto [stop, error] = std::from_chars(value, end, number);
    if (error != std::errc() || stop != end || !page_slot(number)) return {kFallbackPage, false};
    return {number, true};
}

const page_setting& setting_at_load() noexcept {
    static const page_setting setting = page_from_environment();
    return setting;
}

std::atomic<UINT>& active_page_number() noexcept {
    static std::atomic<UINT> number{setting_at_load().page};
    return number;
}

// Read at load rather than at first use, so that a later change of
// XMLXSL_ACP has no effect, as on Windows.
[[maybe_unused]] const UINT gPageAtLoad = active_page_number().load();

const ansi_page* try_resolve(UINT codePage) noexcept { return try_page(codePage == CP_ACP ? GetACP() : codePage); }

// Bytes and units below 0x80 are the same characters in every page here and
// in UTF-8, so runs of them are copied, eight bytes or four units a time.
std::size_t ascii_prefix(const unsigned char* bytes, std::size_t count) noexcept {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word & 0x8080808080808080u) break;
    }
    while (i < count && bytes[i] < 0x80) ++i;
    return i;
}

std::size_t ascii_prefix(const char16_t* units, std::size_t count) noexcept {
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t word;
        std::memcpy(&word, units + i, sizeof word);
        if (word & 0xFF80FF80FF80FF80u) break;
    }
    while (i < count && units[i] < 0x80) ++i;
    return i;
}

// Where a conversion writes: the caller's buffer of `capacity` elements, or
// nowhere when only the size is asked for. Appending past the capacity fails
// and writes nothing.
template <typename T>
class output_span {
public:
    output_span(T* data, std::size_t capacity) noexcept : data_(data), capacity_(data ? capacity : 0) {}

    bool counting() const noexcept { return data_ == nullptr; }
    std::size_t size() const noexcept { return size_; }
    T* cursor() const noexcept { return data_ + size_; }
    std::size_t room() const noexcept { return capacity_ - size_; }
    // Counts `count` elements that were written at cursor(), or elsewhere
    // while counting.
    void advance(std::size_t count) noexcept { size_ += count; }

    [[nodiscard]] bool put(T item) noexcept {
        if (!counting()) {
            if (size_ == capacity_) return false;
            data_[size_] = item;
        }
        ++size_;
        return true;
    }

    template <typename Source>
    [[nodiscard]] bool put_each(const Source* items, std::size_t count) noexcept {
        if (!counting()) {
            if (room() < count) return false;
            // Through a local pointer: a store through data_ could alias size_.
            T* target = data_ + size_;
            for (std::size_t i = 0; i < count; ++i) target[i] = static_cast<T>(items[i]);
        }
        size_ += count;
        return true;
    }

private:
    T* data_;
    std::size_t capacity_;
    std::size_t size_ = 0;
};

struct conversion {
    bool fits = true;          // false: the caller's buffer was too small
    bool substituted = false;  // a default character stood in for something
    bool failed = false;       // iconv could not be opened
};

conversion widen_ansi(const ansi_page& page, const unsigned char* bytes, std::size_t count,
                      output_span<char16_t>& out) noexcept {
    conversion result;
    std::size_t i = 0;
    while (i < count) {
        const std::size_t ascii = ascii_prefix(bytes + i, count - i);
        if (!out.put_each(bytes + i, ascii)) return {.fits = false};
        i += ascii;
        if (i == count) break;
        const unsigned char byte = bytes[i];
        char16_t character;
        if (!page.is_lead(byte)) {
            character = page.single[byte];
            i += 1;
        } else if (i + 1 < count && bytes[i + 1] != 0) {
            character = page.pair(byte, bytes[i + 1]);
            i += 2;
        } else {
            character = kNoCharacter;
            i += 1;
        }
        if (character == kNoCharacter) {
            result.substituted = true;
            character = page.description->default_character;
        }
        if (!out.put(character)) return {.fits = false};
    }
    return result;
}

conversion narrow_ansi(const ansi_page& page, const char16_t* units, std::size_t count, std::string_view substitute,
                       output_span<char>& out) noexcept {
    conversion result;
    std::size_t i = 0;
    while (i < count) {
        const std::size_t ascii = ascii_prefix(units + i, count - i);
        if (!out.put_each(units + i, ascii)) return {.fits = false};
        i += ascii;
        if (i == count) break;
        const std::uint16_t code = page.codes[units[i++]];
        bool fits;
        if (code == kNoCode) {
            result.substituted = true;
            fits = out.put_each(substitute.data(), substitute.size());
        } else if (code < 0x100) {
            fits = out.put(static_cast<char>(code));
        } else {
            const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            fits = out.put_each(pair, 2);
        }
        if (!fits) return {.fits = false};
    }
    return result;
}

// A descriptor kept open for the life of the process; conversions take turns
// on it, since iconv keeps state between calls.
class shared_converter {
public:
    shared_converter(const char* to, const char* from) noexcept : descriptor_(to, from) {}

    const unique_iconv& descriptor() const noexcept { return descriptor_; }
    std::mutex& turn() noexcept { return turn_; }

private:
    unique_iconv descriptor_;
    std::mutex turn_;
};

// The length of the maximal part of a UTF-8 sequence that starts well but
// cannot be completed, at least 1: the span that one U+FFFD replaces.
std::size_t ill_formed_utf8_length(const unsigned char* bytes, std::size_t count) noexcept {
    const unsigned char first = bytes[0];
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) low = 0xA0;
        if (first == 0xED) high = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) low = 0x90;
        if (first == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    if (count < 2 || bytes[1] < low || bytes[1] > high) return 1;
    std::size_t taken = 2;
    while (taken < length && taken < count && (bytes[taken] & 0xC0) == 0x80) ++taken;
    return taken;
}

// Runs `converter` over `bytes` of text into `out`. Where iconv stops at
// input it cannot convert, `ill_formed_length` gives how many bytes to pass
// over, and `replacement` goes out in their place.
template <typename Out, typename Measure>
conversion convert_through(shared_converter& converter, const char* text, std::size_t bytes,
                           std::basic_string_view<Out> replacement, Measure ill_formed_length, output_span<Out>& out) {
    const unique_iconv& descriptor = converter.descriptor();
    if (!descriptor) return {.failed = true};
    conversion result;
    const std::lock_guard<std::mutex> hold(converter.turn());
    descriptor.restart();
    char* in = const_cast<char*>(text);
    std::size_t in_left = bytes;
    while (in_left > 0) {
        Out scratch[512];
        Out* target = out.counting() ? scratch : out.cursor();
        const std::size_t room = out.counting() ? std::size(scratch) : out.room();
        char* written = reinterpret_cast<char*>(target);
        std::size_t written_left = room * sizeof(Out);
        const std::size_t status = iconv(descriptor.get(), &in, &in_left, &written, &written_left);
        out.advance(room - written_left / sizeof(Out));
        if (status != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            if (out.counting()) continue;
            return {.fits = false};
        }
        // EILSEQ, or EINVAL for a sequence cut short by the end of the text.
        const std::size_t skip = ill_formed_length(in, in_left);
        in += skip;
        in_left -= skip;
        result.substituted = true;
        if (!out.put_each(replacement.data(), replacement.size())) return {.fits = false};
        descriptor.restart();
    }
    return result;
}

conversion widen_utf8(const unsigned char* bytes, std::size_t count, output_span<char16_t>& out) {
    const std::size_t ascii = ascii_prefix(bytes, count);
    if (!out.put_each(bytes, ascii)) return {.fits = false};
    if (ascii == count) return {};
    static shared_converter decoder(kNativeUtf16, "UTF-8");
    auto measure = [](const char* at, std::size_t left) {
        return ill_formed_utf8_length(reinterpret_cast<const unsigned char*>(at), left);
    };
    return convert_through(decoder, reinterpret_cast<const char*>(bytes + ascii), count - ascii,
                           std::u16string_view(u"\uFFFD"), measure, out);
}

conversion narrow_utf8(const char16_t* units, std::size_t count, output_span<char>& out) {
    const std::size_t ascii = ascii_prefix(units, count);
    if (!out.put_each(units, ascii)) return {.fits = false};
    if (ascii == count) return {};
    static shared_converter encoder("UTF-8", kNativeUtf16);
    // iconv stops at a lone surrogate, which Windows writes as U+FFFD.
    auto measure = [](const char*, std::size_t) { return sizeof(char16_t); };
    return convert_through(encoder, reinterpret_cast<const char*>(units + ascii), (count - ascii) * sizeof(char16_t),
                           std::string_view("\xEF\xBF\xBD"), measure, out);
}

// The substitute for a character that the page cannot hold: the caller's
// default character (a whole double-byte one where it starts with a lead
// byte) or '?'.
std::string_view substitute_for(const ansi_page& page, LPCCH defaultChar) noexcept {
    if (!defaultChar) return "?";
    if (page.is_lead(static_cast<unsigned char>(defaultChar[0])) && defaultChar[1] != '\0') return {defaultChar, 2};
    return {defaultChar, 1};
}

int as_result(const conversion& converted, std::size_t size, bool strict) noexcept {
    if (converted.failed || !converted.fits || (strict && converted.substituted) || size > INT_MAX) return 0;
    return static_cast<int>(size);
}

}  // namespace

UINT GetACP() { return active_page_number().load(std::memory_order_relaxed); }

BOOL GetCPInfo(UINT codePage, CPINFO* info) {
    if (!info) return FALSE;
    CPINFO described{};
    described.DefaultChar[0] = '?';
    if (codePage == CP_UTF8) {
        described.MaxCharSize = 4;
        *info = described;
        return TRUE;
    }
    const ansi_page* page = try_resolve(codePage);
    if (!page) return FALSE;
    described.MaxCharSize = page->double_byte() ? 2 : 1;
    std::size_t filled = 0;
    for (unsigned byte = 0; byte < 256;) {
        if (!page->is_lead(static_cast<unsigned char>(byte))) {
            ++byte;
            continue;
        }
        const unsigned first = byte;
        while (byte < 256 && page->is_lead(static_cast<unsigned char>(byte))) ++byte;
        // The last pair of the array stays 0, 0 to end the list.
        if (filled + 2 < MAX_LEADBYTES) {
            described.LeadByte[filled++] = static_cast<BYTE>(first);
            described.LeadByte[filled++] = static_cast<BYTE>(byte - 1);
        }
    }
    *info = described;
    return TRUE;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int cbMultiByte, LPWSTR wideChar,
                        int cchWideChar) {
    if (!multiByte || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !wideChar)) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
    const std::size_t count = cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
    output_span<char16_t> out(cchWideChar > 0 ? wideChar : nullptr, static_cast<std::size_t>(cchWideChar));
    try {
        conversion converted;
        if (codePage == CP_UTF8) {
            if (flags & ~MB_ERR_INVALID_CHARS) return 0;
            converted = widen_utf8(bytes, count, out);
        } else {
            if (flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) return 0;
            const ansi_page* page = try_resolve(codePage);
            if (!page) return 0;
            converted = widen_ansi(*page, bytes, count, out);
        }
        return as_result(converted, out.size(), (flags & MB_ERR_INVALID_CHARS) != 0);
    } catch (...) {
        return 0;
    }
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar, LPSTR multiByte, int cbMultiByte,
                        LPCCH defaultChar, LPBOOL usedDefaultChar) {
    if (!wideChar || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !multiByte)) {
        return 0;
    }
    const std::size_t count =
        cchWideChar == -1 ? std::char_traits<char16_t>::length(wideChar) + 1 : static_cast<std::size_t>(cchWideChar);
    output_span<char> out(cbMultiByte > 0 ? multiByte : nullptr, static_cast<std::size_t>(cbMultiByte));
    try {
        if (codePage == CP_UTF8) {
            if ((flags & ~WC_ERR_INVALID_CHARS) || defaultChar || usedDefaultChar) return 0;
            const conversion converted = narrow_utf8(wideChar, count, out);
            return as_result(converted, out.size(), (flags & WC_ERR_INVALID_CHARS) != 0);
        }
        if (flags & ~WC_NO_BEST_FIT_CHARS) return 0;
        const ansi_page* page = try_resolve(codePage);
        if (!page) return 0;
        const conversion converted = narrow_ansi(*page, wideChar, count, substitute_for(*page, defaultChar), out);
        const int result = as_result(converted, out.size(), false);
        if (result && usedDefaultChar) *usedDefaultChar = converted.substituted ? TRUE : FALSE;
        return result;
    } catch (...) {
        return 0;
    }
}

BOOL IsDBCSLeadByte(BYTE testChar) {
    const ansi_page* page = try_resolve(CP_ACP);
    return page && page->is_lead(testChar) ? TRUE : FALSE;
}

LPSTR CharNextA(LPCSTR current) {
    if (!current) return nullptr;
    auto* at = const_cast<LPSTR>(current);
    if (*at == '\0') return at;
    if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != '\0') return at + 2;
    return at + 1;
}

bool IsAnsiCodePageSettingValid() noexcept { return setting_at_load().valid; }

bool SetAnsiCodePageForTesting(UINT codePage) {
    if (!try_page(codePage)) return false;
    active_page_number().store(codePage, std::memory_order_relaxed);
    return true;
}
