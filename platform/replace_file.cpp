#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/last_error.h"

namespace {

constexpr DWORD kKnownFlags =
    REPLACEFILE_WRITE_THROUGH | REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;

DWORD error_of(int error) noexcept {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case EWOULDBLOCK:
            return ERROR_SHARING_VIOLATION;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

class unique_descriptor {
public:
    unique_descriptor() = default;
    unique_descriptor(const unique_descriptor&) = delete;
    unique_descriptor& operator=(const unique_descriptor&) = delete;
    ~unique_descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    int get() const noexcept { return descriptor_; }
    void reset(int descriptor) noexcept {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = descriptor;
    }

private:
    int descriptor_ = -1;
};

// Opens a regular file, never through a link and never waiting on a FIFO,
// and locks it share-exclusive. ERROR_SUCCESS or the error to give.
DWORD open_locked(const char* name, unique_descriptor& held, struct stat& status) noexcept {
    int opened;
    do {
        opened = ::open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) return errno == ELOOP ? ERROR_ACCESS_DENIED : error_of(errno);
    held.reset(opened);
    if (fstat(opened, &status) != 0) return error_of(errno);
    if (!S_ISREG(status.st_mode)) return ERROR_ACCESS_DENIED;
    int locked;
    do {
        locked = flock(opened, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    return locked == 0 ? ERROR_SUCCESS : error_of(errno);
}

// Gives the replacement the replaced file's owner, group and permission
// bits; the mode comes last, since a change of owner clears the set-id bits.
DWORD take_identity(int replacement, const struct stat& from, const struct stat& to, DWORD flags) noexcept {
    if ((from.st_uid != to.st_uid || from.st_gid != to.st_gid) && fchown(replacement, from.st_uid, from.st_gid) != 0 &&
        !(flags & REPLACEFILE_IGNORE_ACL_ERRORS))
        return ERROR_ACCESS_DENIED;
    if (fchmod(replacement, from.st_mode & 07777) != 0) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Commits the folder entry of a name; a failure there changes nothing that
// the caller could still undo, so it is not reported.
void sync_folder_of(const char* name) noexcept {
    const char* slash = std::strrchr(name, '/');
    char folder[4096] = ".";
    if (slash != nullptr) {
        const std::size_t length = slash == name ? 1 : static_cast<std::size_t>(slash - name);
        if (length >= sizeof folder) return;
        std::memcpy(folder, name, length);
        folder[length] = '\0';
    }
    unique_descriptor held;
    held.reset(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (held.get() >= 0) fsync(held.get());
}

DWORD replace(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags) noexcept {
    unique_descriptor replacedFile, replacementFile;
    struct stat replacedStatus, replacementStatus;
    if (DWORD error = open_locked(replaced, replacedFile, replacedStatus); error != ERROR_SUCCESS) return error;
    if (DWORD error = open_locked(replacement, replacementFile, replacementStatus); error != ERROR_SUCCESS)
        return error;
    // A failure from here on gives the replacement its own identity back,
    // as far as the system lets it.
    auto undo = [&](DWORD error) {
        [[maybe_unused]] const int owner =
            fchown(replacementFile.get(), replacementStatus.st_uid, replacementStatus.st_gid);
        fchmod(replacementFile.get(), replacementStatus.st_mode & 07777);
        return error;
    };
    if (DWORD error = take_identity(replacementFile.get(), replacedStatus, replacementStatus, flags);
        error != ERROR_SUCCESS)
        return undo(error);
    const bool writeThrough = (flags & REPLACEFILE_WRITE_THROUGH) != 0;
    if (writeThrough && fsync(replacementFile.get()) != 0) return undo(error_of(errno));

    if (backup != nullptr) {
        if (::unlink(backup) != 0 && errno != ENOENT) return undo(ERROR_UNABLE_TO_REMOVE_REPLACED);
        if (::link(replaced, backup) != 0) return undo(ERROR_UNABLE_TO_REMOVE_REPLACED);
    }
    if (std::rename(replacement, replaced) != 0) {
        if (backup != nullptr) ::unlink(backup);
        return undo(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    }
    if (writeThrough) sync_folder_of(replaced);
    return ERROR_SUCCESS;
}

}  // namespace

BOOL ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName, LPCSTR lpBackupFileName,
                  DWORD dwReplaceFlags, LPVOID lpExclude, LPVOID lpReserved) noexcept {
    if (lpReplacedFileName == nullptr || lpReplacementFileName == nullptr || (dwReplaceFlags & ~kKnownFlags) != 0 ||
        lpExclude != nullptr || lpReserved != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD error = replace(lpReplacedFileName, lpReplacementFileName, lpBackupFileName, dwReplaceFlags);
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}
