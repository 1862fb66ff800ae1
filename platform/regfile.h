#pragma once

// Reading a registry editor export (.reg file) into keys and values. Private
// to the platform layer: RegOpenKeyExA parses the file afresh at every open.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/wintypes.h"

namespace regfile {

// The data as Windows holds it: the string types (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) as UTF-16LE whatever the file's encoding, a quoted text with
// its terminator added, a hex list with the terminators it lists; every other
// type as the bytes listed.
struct value {
    DWORD type = 0;
    std::vector<BYTE> data;
};

inline bool is_string_type(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Values by folded name; the default value (@) has the empty name.
using value_map = std::map<std::u16string, value>;

// Keys by folded full path: the root's name, then each key name after a
// backslash, e.g. u"HKEY_LOCAL_MACHINE\\SOFTWARE\\MAKER". Every ancestor of a
// listed key is present, and so are the predefined roots.
using key_map = std::map<std::u16string, value_map>;

// The names of the predefined roots as the file spells them, indexed by the
// predefined handle's low 32 bits less 0x80000000 (HKEY_PERFORMANCE_DATA,
// 0x80000004, has no keys to list).
inline constexpr std::u16string_view root_names[] = {
    u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS", {}, u"HKEY_CURRENT_CONFIG",
};

// Key and value names compare as Windows compares them: each UTF-16 unit
// upper-cased by a simple, locale-independent mapping, so "Français" and
// "FRANÇAIS" fold alike.
std::u16string fold_case(std::u16string_view name);

// The keys of a whole file: "Windows Registry Editor Version 5.00" in
// UTF-16LE with a byte order mark or in UTF-8 (a UTF-8 byte order mark is
// skipped), or "REGEDIT4" in the ANSI code page. A deletion line [-KEY]
// removes the key and everything under it as far as the file has been read,
// and "name"=- removes a value. Nothing is returned when any line is
// malformed: an unknown first line, a value line before any key line or
// after a deletion line, an unknown root, an empty key name, a missing ']',
// an unterminated string, an escape other than \\ and \", bad hex, a
// continuation at the end of the file, an odd byte count in a version 5.00
// string type, text that is no valid UTF-8 in a UTF-8 file. Throws
// std::bad_alloc.
std::optional<key_map> try_parse(std::string_view fileBytes);

}  // namespace regfile
