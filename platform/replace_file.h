#pragma once

// ReplaceFileA: one file takes another's place without changing what that
// place is.

#include "platform/export.h"
#include "platform/wintypes.h"

constexpr DWORD REPLACEFILE_WRITE_THROUGH = 0x1;
constexpr DWORD REPLACEFILE_IGNORE_MERGE_ERRORS = 0x2;
constexpr DWORD REPLACEFILE_IGNORE_ACL_ERRORS = 0x4;

extern "C" {

// The replacement file takes the replaced file's identity, its permission
// bits (set-id bits included), owner and group, and then its name, in one
// rename: the name never stands empty, and a reader opens the old file or
// the new one, never a mix. With a backup name the replaced file stays under
// that name as well (a hard link; an existing backup goes).
//
// Both files must be regular files of one file system; a symbolic link in
// either place is not followed, so the caller resolves it. Both are locked
// share-exclusive across the rename, as the file object locks (file.h).
// REPLACEFILE_WRITE_THROUGH commits the replacement's data and the folder's
// entry to the device. REPLACEFILE_IGNORE_ACL_ERRORS goes on when the owner
// and group cannot be given (a caller that is not root, say); without it that
// is a failure. REPLACEFILE_IGNORE_MERGE_ERRORS is accepted and has nothing
// to ignore here.
//
// TRUE on success. On failure FALSE, both files as they were, and the last
// error (last_error.h): ERROR_INVALID_PARAMETER for a null name, an unknown
// flag or a non-null lpExclude or lpReserved; ERROR_FILE_NOT_FOUND when
// either file is missing, ERROR_PATH_NOT_FOUND when a folder of its path is
// a file; ERROR_ACCESS_DENIED for a file that is not a regular file or cannot
// be opened, and for an identity that cannot be given; ERROR_SHARING_VIOLATION
// when another opener holds either file locked (or both names are one file);
// ERROR_UNABLE_TO_REMOVE_REPLACED when the backup cannot be made;
// ERROR_UNABLE_TO_MOVE_REPLACEMENT when the rename fails (the two files lie
// on different file systems, say).
WIN32_EXPORT BOOL ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName, LPCSTR lpBackupFileName,
                               DWORD dwReplaceFlags, LPVOID lpExclude, LPVOID lpReserved) noexcept;

}  // extern "C"
