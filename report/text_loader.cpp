#include "report/text_loader.h"

#include <new>

#include "localise/path_separators.h"
#include "platform/file.h"
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
    CStdioFile file;
    try {
        const std::string merged = MergeDoubledSeparators(path);
        if (!file.Open(merged.c_str(), CFile::modeRead | CFile::shareExclusive | CFile::typeText)) {
            AppendReportError("%s could not be opened.\n", merged);
            return kShortFileOpen;
        }
        std::string line;
        while (file.ReadString(line)) {
            line.push_back('\n');
            // One append of line and line feed together, which either happens
            // whole or not at all, so a failure never leaves half a line.
            text_.append(line);
        }
        // Only read from, so an error on closing loses nothing.
        file.Abort();
    } catch (const CFileException&) {
        file.Abort();
        AppendReportError("ReadString exception in CXMLMem::readFile\n");
        return kShortRead;
    } catch (const std::bad_alloc&) {
        file.Abort();
        AppendReportError("Unable to allocate memory in CXMLMem::readFile\n");
        return kShortMemory;
    }
    return kShortOk;
}
