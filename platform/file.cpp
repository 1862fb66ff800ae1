#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_seam.h"
#include "platform/full_path.h"

namespace {

int system_open(const char* path, int flags, unsigned mode) { return ::open(path, flags, static_cast<mode_t>(mode)); }
int system_flock(int descriptor, int operation) { return ::flock(descriptor, operation); }
std::ptrdiff_t system_read(int descriptor, void* buffer, std::size_t count) {
    return ::read(descriptor, buffer, count);
}
std::ptrdiff_t system_write(int descriptor, const void* buffer, std::size_t count) {
    return ::write(descriptor, buffer, count);
}
int system_fsync(int descriptor) { return ::fsync(descriptor); }
int system_close(int descriptor) { return ::close(descriptor); }
int system_ftruncate(int descriptor, std::int64_t length) {
    return ::ftruncate(descriptor, static_cast<off_t>(length));
}

constexpr file_system_calls kSystemCalls = {
    system_open, system_flock, system_read, system_write, system_fsync, system_close, system_ftruncate,
};

file_system_calls gFileSystemCalls = kSystemCalls;

// Large enough that a long file costs few system calls, small enough to sit
// beside every open text file.
constexpr UINT kReadAheadSize = 64 * 1024;

int cause_of(int error) noexcept {
    switch (error) {
        case ENOENT:
            return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return CFileException::badPath;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return CFileException::accessDenied;
        case EMFILE:
        case ENFILE:
            return CFileException::tooManyOpenFiles;
        case EBADF:
            return CFileException::invalidFile;
        case EWOULDBLOCK:
            return CFileException::sharingViolation;
        case ENOLCK:
            return CFileException::lockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return CFileException::diskFull;
        case EIO:
            return CFileException::hardIO;
        case ESPIPE:
            return CFileException::badSeek;
        default:
            return CFileException::genericException;
    }
}

[[noreturn]] void throw_file_error(int error, const std::string& fileName) {
    throw CFileException(cause_of(error), error, fileName);
}

// Owns a descriptor until the open succeeds; closes it, ignoring any error,
// when the open gives up.
class unique_descriptor {
public:
    explicit unique_descriptor(int descriptor) noexcept : descriptor_(descriptor) {}
    unique_descriptor(const unique_descriptor&) = delete;
    unique_descriptor& operator=(const unique_descriptor&) = delete;
    ~unique_descriptor() {
        if (descriptor_ >= 0) gFileSystemCalls.close(descriptor_);
    }
    int get() const noexcept { return descriptor_; }
    int release() noexcept { return std::exchange(descriptor_, -1); }

private:
    int descriptor_;
};

int open_flags(UINT openFlags) noexcept {
    int flags = O_CLOEXEC | O_NOCTTY;
    if (openFlags & CFile::modeReadWrite)
        flags |= O_RDWR;
    else if (openFlags & CFile::modeWrite)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    // Never O_TRUNC: a file is truncated only once its lock is held.
    if (openFlags & CFile::modeCreate) flags |= O_CREAT;
    return flags;
}

// The flock operation for the share flags (MFC's share modes are a 3-bit
// field, not separate bits), or 0 for none.
int lock_operation(UINT openFlags) noexcept {
    switch (openFlags & 0x0070u) {
        case CFile::shareDenyWrite:
            return LOCK_SH;
        case CFile::shareDenyNone:
            return 0;
        default:
            return LOCK_EX;
    }
}

// Opens, refuses a folder, takes the lock and only then truncates. Returns
// the descriptor, or -1 with cause and osError set. Allocates
// nothing, so that a file can be closed and opened again without a moment
// in which memory could run out between the two.
int open_locked(const char* path, UINT openFlags, int& cause, int& osError) noexcept {
    auto fail = [&](int failedCause, int failedError) {
        cause = failedCause;
        osError = failedError;
        return -1;
    };
    int opened;
    do {
        opened = gFileSystemCalls.open(path, open_flags(openFlags), 0666);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) return fail(cause_of(errno), errno);
    unique_descriptor descriptor(opened);

    // A folder opens read-only at the system level; Windows refuses it.
    struct stat status;
    if (fstat(descriptor.get(), &status) != 0) return fail(cause_of(errno), errno);
    if (S_ISDIR(status.st_mode)) return fail(CFileException::accessDenied, EISDIR);

    if (const int operation = lock_operation(openFlags); operation != 0) {
        int locked;
        do {
            locked = gFileSystemCalls.flock(descriptor.get(), operation | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) return fail(cause_of(errno), errno);
    }

    // A device such as /dev/null has nothing to truncate and refuses it.
    bool truncate = (openFlags & CFile::modeCreate) && !(openFlags & CFile::modeNoTruncate) && S_ISREG(status.st_mode);
    if (truncate && gFileSystemCalls.ftruncate(descriptor.get(), 0) != 0) return fail(cause_of(errno), errno);
    return descriptor.release();
}

}  // namespace

file_system_calls real_file_system_calls() noexcept { return kSystemCalls; }

file_system_calls exchange_file_system_calls(const file_system_calls& calls) noexcept {
    return std::exchange(gFileSystemCalls, calls);
}

CFileException::CFileException(int cause, LONG osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

const char* CFileException::what() const noexcept {
    switch (m_cause) {
        case none:
            return "no error";
        case fileNotFound:
            return "the file was not found";
        case badPath:
            return "the path is invalid";
        case tooManyOpenFiles:
            return "too many open files";
        case accessDenied:
            return "access to the file was denied";
        case invalidFile:
            return "the file is not open";
        case removeCurrentDir:
            return "the current folder cannot be removed";
        case directoryFull:
            return "the folder is full";
        case badSeek:
            return "the file position cannot be set";
        case hardIO:
            return "an input or output error occurred";
        case sharingViolation:
            return "the file is in use";
        case lockViolation:
            return "the file cannot be locked";
        case diskFull:
            return "the disk is full";
        case endOfFile:
            return "the end of the file was reached";
        default:
            return "a file error occurred";
    }
}

CFile::~CFile() { CFile::Abort(); }

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
    auto fail = [&](int cause, int osError) {
        if (error != nullptr) *error = CFileException(cause, osError, fileName != nullptr ? fileName : "");
        return FALSE;
    };
    if (IsOpen()) return fail(CFileException::genericException, 0);
    if (fileName == nullptr) return fail(CFileException::badPath, 0);

    // Made before the open, so that a lack of memory leaves nothing open.
    std::string path = FullPathName(fileName);
    if (path.empty() && *fileName != '\0') return fail(CFileException::badPath, 0);
    int cause = CFileException::none;
    int osError = 0;
    const int descriptor = open_locked(fileName, openFlags, cause, osError);
    if (descriptor < 0) return fail(cause, osError);
    path_ = std::move(path);
    descriptor_ = descriptor;
    return TRUE;
}

BOOL CFile::Reopen(UINT openFlags) noexcept {
    Abort();
    if (path_.empty()) return FALSE;
    int cause = CFileException::none;
    int osError = 0;
    descriptor_ = open_locked(path_.c_str(), openFlags, cause, osError);
    return IsOpen() ? TRUE : FALSE;
}

void CFile::Close() {
    if (!IsOpen()) return;
    if (gFileSystemCalls.close(std::exchange(descriptor_, -1)) != 0) throw_file_error(errno, path_);
}

void CFile::Abort() noexcept {
    if (IsOpen()) gFileSystemCalls.close(std::exchange(descriptor_, -1));
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    if (count == 0) return 0;
    for (;;) {
        std::ptrdiff_t done = gFileSystemCalls.read(descriptor_, buffer, count);
        if (done >= 0) return static_cast<UINT>(done);
        if (errno != EINTR) throw_file_error(errno, path_);
    }
}

void CFile::Write(const void* buffer, UINT count) {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    const char* next = static_cast<const char*>(buffer);
    std::size_t left = count;
    while (left > 0) {
        std::ptrdiff_t done = gFileSystemCalls.write(descriptor_, next, left);
        if (done < 0) {
            if (errno == EINTR) continue;
            throw_file_error(errno, path_);
        }
        // A device that takes nothing without an error would loop for ever.
        if (done == 0) throw CFileException(CFileException::diskFull, ENOSPC, path_);
        next += done;
        left -= static_cast<std::size_t>(done);
    }
}

std::uint64_t CFile::SeekToBegin() {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    if (lseek(descriptor_, 0, SEEK_SET) < 0) throw_file_error(errno, path_);
    return 0;
}

std::uint64_t CFile::SeekToEnd() {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    const off_t end = lseek(descriptor_, 0, SEEK_END);
    if (end < 0) throw_file_error(errno, path_);
    return static_cast<std::uint64_t>(end);
}

void CFile::SetLength(std::uint64_t length) {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    if (length > static_cast<std::uint64_t>(INT64_MAX)) throw_file_error(EINVAL, path_);
    int cut;
    do {
        cut = gFileSystemCalls.ftruncate(descriptor_, static_cast<std::int64_t>(length));
    } while (cut != 0 && errno == EINTR);
    if (cut != 0) throw_file_error(errno, path_);
}

void CFile::Flush() {
    if (!IsOpen()) throw_file_error(EBADF, path_);
    int synced;
    do {
        synced = gFileSystemCalls.fsync(descriptor_);
    } while (synced != 0 && errno == EINTR);
    // EINVAL and EROFS say the file (a device, a pipe) has nothing to commit.
    if (synced != 0 && errno != EINVAL && errno != EROFS) throw_file_error(errno, path_);
}

std::string CFile::GetFilePath() const { return path_; }

void CStdioFile::discardReadAhead() noexcept {
    buffer_.clear();
    position_ = 0;
    atEnd_ = false;
}

BOOL CStdioFile::ReadString(std::string& line) {
    line.clear();
    bool consumed = false;
    for (;;) {
        if (position_ == buffer_.size()) {
            if (atEnd_) break;
            buffer_.resize(kReadAheadSize);
            position_ = 0;
            UINT count = 0;
            try {
                count = CFile::Read(buffer_.data(), kReadAheadSize);
            } catch (...) {
                buffer_.clear();
                throw;
            }
            buffer_.resize(count);
            if (count == 0) {
                atEnd_ = true;
                break;
            }
        }
        consumed = true;
        std::size_t end = buffer_.find('\n', position_);
        if (end == std::string::npos) {
            line.append(buffer_, position_);
            position_ = buffer_.size();
            continue;
        }
        line.append(buffer_, position_, end - position_);
        position_ = end + 1;
        // Checked on the whole line: the "\r" may have come with the previous chunk.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return TRUE;
    }
    return consumed ? TRUE : FALSE;
}

void CStdioFile::Close() {
    discardReadAhead();
    CFile::Close();
}

void CStdioFile::Abort() noexcept {
    discardReadAhead();
    CFile::Abort();
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    std::size_t ahead = buffer_.size() - position_;
    if (ahead == 0) return CFile::Read(buffer, count);
    UINT served = static_cast<UINT>(std::min<std::size_t>(ahead, count));
    std::memcpy(buffer, buffer_.data() + position_, served);
    position_ += served;
    return served;
}

void CStdioFile::Write(const void* buffer, UINT count) {
    // The system's position is past what was read ahead; the write belongs
    // where reading stopped.
    if (std::size_t ahead = buffer_.size() - position_; ahead > 0) {
        if (lseek(descriptor_, -static_cast<off_t>(ahead), SEEK_CUR) < 0) throw_file_error(errno, path_);
    }
    discardReadAhead();
    CFile::Write(buffer, count);
}

std::uint64_t CStdioFile::SeekToBegin() {
    discardReadAhead();
    return CFile::SeekToBegin();
}

std::uint64_t CStdioFile::SeekToEnd() {
    discardReadAhead();
    return CFile::SeekToEnd();
}
