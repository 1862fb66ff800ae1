#pragma once

// The calling thread's last-error code, as Windows keeps it: functions that
// document it store a code there when they fail; nothing clears it on
// success.

#include "platform/export.h"
#include "platform/wintypes.h"

// Win32 error codes beside those of wintypes.h that the file functions give.
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_UNABLE_TO_REMOVE_REPLACED = 1175;
constexpr DWORD ERROR_UNABLE_TO_MOVE_REPLACEMENT = 1176;

extern "C" {

// 0 in a thread that no failure has touched.
WIN32_EXPORT DWORD GetLastError() noexcept;
WIN32_EXPORT void SetLastError(DWORD errorCode) noexcept;

}  // extern "C"
