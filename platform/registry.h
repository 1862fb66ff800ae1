#pragma once

// The registry, read from the .reg file named by XMLXSL_REGISTRY, read afresh
// by every RegOpenKeyExA.

#include "platform/export.h"
#include "platform/wintypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

// Sign-extended as the 64-bit Windows headers define them.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000000))))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002))))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000003))))
#define HKEY_CURRENT_CONFIG (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000005))))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

extern "C" {

// Opens key\subKey (a null or empty subKey: a new handle to key itself) as
// the file says at this moment; the handle keeps a snapshot of the key's
// values until it is closed. ERROR_INVALID_PARAMETER for a null result (checked
// first), ERROR_INVALID_HANDLE for a key that is neither predefined nor open,
// ERROR_FILE_NOT_FOUND for a missing key (every key, roots included, when the
// variable or its file is missing), ERROR_BADDB for a file that is malformed
// or cannot be read. A failed open stores a null handle. options is ignored;
// sam decides whether the handle may query.
WIN32_EXPORT LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result);
// String data in the ANSI code page, terminators counted in *size; a null or
// empty valueName is the default value. Without a buffer, reports the size; a
// buffer too small gives ERROR_MORE_DATA and the full size; with neither
// buffer nor size, only *type. ERROR_INVALID_HANDLE first, then
// ERROR_INVALID_PARAMETER for a reserved pointer or a buffer without size,
// ERROR_ACCESS_DENIED for a handle opened without KEY_QUERY_VALUE (or a
// generic or maximum right), ERROR_FILE_NOT_FOUND with *size 0 for a missing
// value. A predefined key is read from the file afresh.
WIN32_EXPORT LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                      LPDWORD size);
// ERROR_SUCCESS for a predefined key (nothing to close), ERROR_INVALID_HANDLE
// for a handle that is not open, closed ones included.
WIN32_EXPORT LSTATUS RegCloseKey(HKEY key);

}  // extern "C"
