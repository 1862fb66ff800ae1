#pragma once

// CXSL: a stylesheet template in which four-character tags between carets
// stand for texts of the user's language, and the tags "0002", "0004" and
// "0003" for the dealer's left, middle and right blocks. translateXSL turns
// the held template into the stylesheet for one language.

#include <string>

#include "report/text_loader.h"

class CXSL : public CXMLMem {
public:
    using CXMLMem::init;
    // Sets the template text. kShortOk, or kShortMemory with
    // "Unable to allocate memory in CXSL::init \n" appended.
    virtual ShortStatus init(const char* text);

    // Replaces every tag of the held template, loading the resource string
    // file at resourcePath. kShortOk; the resource file's status; kShortFormat
    // for unpaired carets; kShortTagLength; kShortResource for a tag without
    // text, or for replacements that lead back to where they were; a dealer
    // getter's nonzero code; kShortMemory, also for a translation that would
    // grow the text by more than 4 MiB (ExpandTags has the details). Each
    // failure appends its line to the error text. On failure the text keeps
    // the replacements made before it.
    ShortStatus translateXSL(std::string resourcePath);

    // The text escaped for the stylesheet: "&" -> "&amp;", then "<" -> "&lt;",
    // then each line feed -> "&lt;br />". Empty (with a line appended to the
    // error text) when memory runs out.
    static std::string processString(const std::string& text);
};
