#include "platform/registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/ansi.h"
#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/exception_status.h"
#include "platform/regfile.h"

namespace {

constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_EXECUTE = 0x20000000;
constexpr REGSAM GENERIC_READ = 0x80000000;

// What an opened handle holds: its key's folded path, for opening subkeys
// beneath it, and the key's values as the file gave them at the open.
struct open_key {
    std::u16string path;
    regfile::value_map values;
    bool mayQuery = false;
};

bool grants_query(REGSAM sam) {
    return (sam & (KEY_QUERY_VALUE | MAXIMUM_ALLOWED | GENERIC_ALL | GENERIC_EXECUTE | GENERIC_READ)) != 0;
}

// Windows recognises a predefined key by its low 32 bits alone, so the
// zero-extended 0x80000002 is HKEY_LOCAL_MACHINE as much as the sign-extended
// value of the headers.
bool looks_predefined(std::uintptr_t bits) {
    std::uint64_t high = static_cast<std::uint64_t>(bits) >> 32;
    return (high == 0 || high == 0xFFFFFFFF) && (bits & 0xFFFFFFF0) == 0x80000000;
}

std::optional<std::u16string_view> predefined_root(HKEY key) {
    auto bits = reinterpret_cast<std::uintptr_t>(key);
    if (!looks_predefined(bits)) return std::nullopt;
    std::size_t index = bits & 0xF;
    if (index >= std::size(regfile::root_names) || regfile::root_names[index].empty()) return std::nullopt;
    return regfile::root_names[index];
}

// Opened handles are numbers, never addresses, and never reused, so a closed
// handle stays invalid rather than reaching another key or freed memory.
class handle_table {
public:
    HKEY insert(std::shared_ptr<const open_key> key) {
        std::lock_guard lock(mutex_);
        do {
            last_ += 4;
        } while (looks_predefined(last_));
        keys_.emplace(last_, std::move(key));
        return reinterpret_cast<HKEY>(last_);
    }

    std::shared_ptr<const open_key> find(HKEY key) {
        std::lock_guard lock(mutex_);
        auto found = keys_.find(reinterpret_cast<std::uintptr_t>(key));
        return found == keys_.end() ? nullptr : found->second;
    }

    bool erase(HKEY key) {
        std::lock_guard lock(mutex_);
        return keys_.erase(reinterpret_cast<std::uintptr_t>(key)) != 0;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::uintptr_t, std::shared_ptr<const open_key>> keys_;
    std::uintptr_t last_ = 0;
};

// Never destroyed: a static object of another library may close its key
// during exit, after a table destroyed in turn would be gone.
handle_table& handles() {
    static handle_table& table = *new handle_table;
    return table;
}

class unique_fd {
public:
    explicit unique_fd(int fd) noexcept : fd_(fd) {}
    unique_fd(const unique_fd&) = delete;
    unique_fd& operator=(const unique_fd&) = delete;
    ~unique_fd() {
        if (fd_ >= 0) close(fd_);
    }
    int get() const noexcept { return fd_; }

private:
    int fd_;
};

enum class read_result { read, missing, failed };

read_result read_whole_file(const char* path, std::string& bytes) {
    unique_fd file(open(path, O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return errno == ENOENT || errno == ENOTDIR ? read_result::missing : read_result::failed;
    char buffer[65536];
    for (;;) {
        ssize_t count = read(file.get(), buffer, sizeof buffer);
        if (count == 0) return read_result::read;
        if (count < 0) {
            if (errno == EINTR) continue;
            return read_result::failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

// The registry as the file says at this moment. Without the variable or its
// file it is empty, not even the roots exist; a file that cannot be read (a
// folder, say) or that is malformed gives nothing, and the caller fails
// with ERROR_BADDB.
std::optional<regfile::key_map> try_load_registry() {
    char path[PATH_MAX];
    DWORD length = GetEnvironmentVariableA("XMLXSL_REGISTRY", path, sizeof path);
    if (length == 0) return regfile::key_map();
    if (length >= sizeof path) return std::nullopt;
    std::string bytes;
    switch (read_whole_file(path, bytes)) {
        case read_result::missing:
            return regfile::key_map();
        case read_result::failed:
            return std::nullopt;
        case read_result::read:
            break;
    }
    return regfile::try_parse(bytes);
}

// The folded path of subKey beneath base. A single trailing backslash is
// allowed, as Windows allows it; any other empty name finds no key.
std::optional<std::u16string> try_join(std::u16string base, const char* subKey) {
    if (subKey == nullptr || *subKey == '\0') return base;
    std::u16string names = to_wide(subKey);
    if (names.ends_with(u'\\')) names.pop_back();
    if (names.empty() || names.starts_with(u'\\') || names.find(u"\\\\") != std::u16string::npos) return std::nullopt;
    return base + u'\\' + regfile::fold_case(names);
}

// UTF-16LE data narrowed through the ANSI code page, terminators and all.
std::string to_ansi_data(const std::vector<BYTE>& utf16le) {
    std::u16string units(utf16le.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(utf16le[2 * i] | utf16le[2 * i + 1] << 8);
    return to_ansi(units.data(), units.size());
}

// The standard library's exceptions as results: std::bad_alloc, and the
// length and system errors that stand for resource exhaustion too.
template <typename Body>
LSTATUS status_of(Body&& body) noexcept {
    return status_of_call<LSTATUS>(std::forward<Body>(body), ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_ENOUGH_MEMORY);
}

}  // namespace

extern "C" {

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM sam, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return status_of([&]() -> LSTATUS {
        std::u16string base;
        if (std::optional<std::u16string_view> root = predefined_root(key))
            base = *root;
        else if (std::shared_ptr<const open_key> opened = handles().find(key))
            base = opened->path;
        else
            return ERROR_INVALID_HANDLE;
        std::optional<regfile::key_map> registry = try_load_registry();
        if (!registry) return ERROR_BADDB;
        std::optional<std::u16string> path = try_join(std::move(base), subKey);
        if (!path) return ERROR_FILE_NOT_FOUND;
        auto found = registry->find(*path);
        if (found == registry->end()) return ERROR_FILE_NOT_FOUND;
        auto opened = std::make_shared<open_key>();
        opened->path = std::move(*path);
        opened->values = std::move(found->second);
        opened->mayQuery = grants_query(sam);
        *result = handles().insert(std::move(opened));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    return status_of([&]() -> LSTATUS {
        std::optional<std::u16string_view> root = predefined_root(key);
        std::shared_ptr<const open_key> opened;
        if (!root && !(opened = handles().find(key))) return ERROR_INVALID_HANDLE;
        if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;

        // A predefined key is never opened, so its values are read afresh.
        std::optional<regfile::key_map> registry;
        const regfile::value_map* values = nullptr;
        if (root) {
            registry = try_load_registry();
            if (!registry) return ERROR_BADDB;
            if (auto found = registry->find(std::u16string(*root)); found != registry->end()) values = &found->second;
        } else {
            // As on Windows: a key opened without KEY_QUERY_VALUE cannot be read.
            if (!opened->mayQuery) return ERROR_ACCESS_DENIED;
            values = &opened->values;
        }

        std::u16string name = valueName == nullptr ? std::u16string() : regfile::fold_case(to_wide(valueName));
        const regfile::value* stored = nullptr;
        if (values != nullptr) {
            if (auto found = values->find(name); found != values->end()) stored = &found->second;
        }
        // As on Windows, a missing value leaves *size as it was.
        if (stored == nullptr) return ERROR_FILE_NOT_FOUND;

        const regfile::value& value = *stored;
        std::string ansi;
        const BYTE* bytes = value.data.data();
        std::size_t count = value.data.size();
        if (regfile::is_string_type(value.type)) {
            ansi = to_ansi_data(value.data);
            bytes = reinterpret_cast<const BYTE*>(ansi.data());
            count = ansi.size();
        }
        if (type != nullptr) *type = value.type;
        if (size == nullptr) return ERROR_SUCCESS;
        if (data != nullptr && *size < count) {
            *size = static_cast<DWORD>(count);
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && count != 0) std::memcpy(data, bytes, count);
        *size = static_cast<DWORD>(count);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegCloseKey(HKEY key) {
    // Closing a predefined key succeeds and changes nothing, as on Windows.
    if (predefined_root(key)) return ERROR_SUCCESS;
    return status_of([&]() -> LSTATUS { return handles().erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; });
}

}  // extern "C"
