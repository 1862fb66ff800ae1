#include "report/text_loader.h"

#include <new>

#include "report/error_report.h"

ShortStatus CXMLMem::init(const std::string& text) {
    try {
        text_ = text;
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXMLMeme::init\n");
        return kShortMemory;
    }
    return kShortOk;
}

ShortStatus CXMLMem::readFile(const std::string& path) {
    return ReadTextFileLines(path, "CXMLMem", [this](std::string& line) {
        line.push_back('\n');
        // One append of line and line feed together, which either happens
        // whole or not at all, so a failure never leaves half a line.
        text_.append(line);
        return kShortOk;
    });
}
