#pragma once

// CXMLMem: one text held in memory, filled from a string or from a text file
// read line by line, each line ended by one line feed whatever ended it in
// the file. The XSLT stage keeps a pass's XML input in one; the template
// translator derives from it.

#include <string>

#include "report/short_status.h"

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
