#pragma once

// The file object of the XML file functions and the text loaders: an open is
// share-exclusive unless it asks to share. Open reports failure by its
// result; Read, Write, the seeks, SetLength, Flush and Close raise
// CFileException on an input or output error, and all but Close raise
// invalidFile on an object that is not open.

#include <cstdint>
#include <exception>
#include <string>

#include "platform/export.h"
#include "platform/wintypes.h"

class WIN32_EXPORT CFileException : public std::exception {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException() = default;
    CFileException(int cause, LONG osError, std::string fileName = {});
    const char* what() const noexcept override;

    int m_cause = none;
    LONG m_lOsError = 0;  // errno of the failing call
    std::string m_strFileName;
};

class WIN32_EXPORT CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes an open file, ignoring any error.
    virtual ~CFile();

    // The lock is taken right after the open, and an open whose lock is
    // refused (sharingViolation) fails. Share-exclusive (flock LOCK_EX) is
    // what every share flag but two gives: shareDenyWrite takes a shared lock
    // (LOCK_SH), so such openers read side by side while an exclusive opener
    // and they exclude each other; shareDenyNone takes no lock, for a device
    // or pipe that other programs write as well. modeCreate creates a missing
    // file and truncates an existing one (unless modeNoTruncate) only once
    // the lock is held; without it the file must exist. A folder never opens
    // (accessDenied). An object that is already open refuses a second Open
    // and keeps its file. On failure the object is as before and *error,
    // when given, says why.
    BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);
    // Closes the file, ignoring any error (its content is about to be
    // replaced or only read), and opens the path it recorded again as Open
    // does. Allocates nothing, so memory cannot run out between the close
    // and the open. FALSE when the open fails or nothing was ever opened; the
    // object is closed then and keeps its path for another Reopen.
    BOOL Reopen(UINT openFlags) noexcept;
    // Raises if the system reports an error on closing, which can mean lost
    // data; the object is closed either way. Nothing happens when closed.
    virtual void Close();
    // Closes without raising.
    virtual void Abort() noexcept;

    // Returns the count read, 0 at the end of the file; a count below the
    // one asked for is not an error.
    virtual UINT Read(void* buffer, UINT count);
    // Writes every byte or raises (diskFull when the device takes no more).
    virtual void Write(const void* buffer, UINT count);
    virtual std::uint64_t SeekToBegin();
    // Moves to the end and returns the new position, the file's length;
    // badSeek for a pipe or terminal.
    virtual std::uint64_t SeekToEnd();
    // Cuts or extends the file (an extension reads as zero bytes and
    // reserves no space) and leaves the position where it was.
    virtual void SetLength(std::uint64_t length);
    // Commits the written data to the device; raises when that fails, not
    // for a device or pipe that has nothing to commit.
    virtual void Flush();

    // The opened name made absolute against the working directory and
    // lexically normalised (no link resolved); empty while never opened,
    // kept after Close.
    std::string GetFilePath() const;
    bool IsOpen() const noexcept { return descriptor_ >= 0; }

protected:
    int descriptor_ = -1;
    std::string path_;
};

class WIN32_EXPORT CStdioFile : public CFile {
public:
    // Text-mode line reading: the next line without its terminator ("\n",
    // with a "\r" before it dropped too; a lone "\r" stays). A last line
    // without "\n" is returned too, NUL bytes included. FALSE at the end of
    // the file when no character is left. Reads ahead in large chunks; the
    // other operations below account for what was read ahead. Raises
    // CFileException on a read error.
    BOOL ReadString(std::string& line);

    void Close() override;
    void Abort() noexcept override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    std::uint64_t SeekToBegin() override;
    std::uint64_t SeekToEnd() override;

private:
    void discardReadAhead() noexcept;

    std::string buffer_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
};

// Appends what is left of the file to bytes and closes it. Raises
// CFileException on a read or close error, with bytes holding what was read.
inline void ReadRestAndClose(CFile& file, std::string& bytes) {
    char chunk[64 * 1024];
    while (UINT count = file.Read(chunk, sizeof chunk)) bytes.append(chunk, count);
    file.Close();
}
