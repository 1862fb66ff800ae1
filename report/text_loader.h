#pragma once

// CXMLMem: one text held in memory, filled from a string or from a text file
// read line by line, each line ended by one line feed whatever ended it in
// the file. The XSLT stage keeps a pass's XML input in one; the template
// translator derives from it.

#include <new>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "platform/full_path.h"
#include "report/error_report.h"
#include "report/short_status.h"

// Reads the text file at path (doubled path separators merged first), opened
// share-exclusive like every file a report reads, and hands each line without
// its end to on_line, which gives kShortOk to go on or a status to stop with.
// Failures append their line to the error text, naming reader's readFile:
// kShortFileOpen with "%s could not be opened.\n", kShortRead, kShortMemory.
// The file is only read, so it is closed without reporting a closing error.
template <typename OnLine>
ShortStatus ReadTextFileLines(const std::string& path, std::string_view reader, OnLine&& on_line) {
    CStdioFile file;
    try {
        const std::string merged = MergeDoubledSeparators(path);
        if (!file.Open(merged.c_str(), CFile::modeRead | CFile::shareExclusive | CFile::typeText)) {
            AppendReportError("%s could not be opened.\n", merged);
            return kShortFileOpen;
        }
        std::string line;
        while (file.ReadString(line))
            if (const ShortStatus status = on_line(line); status != kShortOk) {
                file.Abort();
                return status;
            }
        file.Abort();
    } catch (const CFileException&) {
        file.Abort();
        AppendReportError("ReadString exception in %s::readFile\n", reader);
        return kShortRead;
    } catch (const std::bad_alloc&) {
        file.Abort();
        AppendReportError("Unable to allocate memory in %s::readFile\n", reader);
        return kShortMemory;
    }
    return kShortOk;
}

class CXMLMem {
public:
    CXMLMem() = default;
    // Not virtual: objects are made and destroyed by their own type.
    ~CXMLMem() = default;
    CXMLMem(const CXMLMem&) = delete;
    CXMLMem& operator=(const CXMLMem&) = delete;

    // Replaces the held text by a copy of text. kShortOk, or kShortMemory
    // with "Unable to allocate memory in CXMLMeme::init\n" appended.
    virtual ShortStatus init(const std::string& text);

    // Appends the lines of the file at path (doubled path separators merged
    // first) to the held text, opened share-exclusive. kShortOk;
    // kShortFileOpen with "%s could not be opened.\n"; kShortMemory or
    // kShortRead with their lines, the lines read so far kept.
    ShortStatus readFile(const std::string& path);

    // A copy of the held text.
    std::string getText() const { return text_; }

protected:
    std::string text_;
};
