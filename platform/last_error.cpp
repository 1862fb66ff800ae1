#include "platform/last_error.h"

namespace {

thread_local DWORD gLastError = 0;

}  // namespace

DWORD GetLastError() noexcept { return gLastError; }

void SetLastError(DWORD errorCode) noexcept { gLastError = errorCode; }
