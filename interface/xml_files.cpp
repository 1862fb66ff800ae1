#include <new>
#include <string>

#include "interface/globals.h"
#include "interface/open_xml_files.h"
#include "interface/scramble.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"

namespace {

constexpr UINT kWriteMode = CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive;
constexpr UINT kReadMode = CFile::modeRead | CFile::shareExclusive;
// The reader takes the file in chunks of this size and stops at the first
// shorter one.
constexpr UINT kReadChunk = 511;

std::uintptr_t handle_of(ICodeplug* codeplug) { return reinterpret_cast<std::uintptr_t>(codeplug); }

// A file object, or null when none can be made.
std::unique_ptr<CFile> make_file() noexcept {
    try {
        return std::make_unique<CFile>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The same-name rewrite: closes the entry's file and opens it again for
// writing, truncated. When that is refused, the entry keeps the file open
// for reading if it can; otherwise the entry goes.
DWORD reopen_for_writing(OpenXMLFiles::iterator entry) {
    CFile& file = *entry->second;
    std::string path = file.GetFilePath();
    try {
        file.Close();
        if (file.Open(path.c_str(), kWriteMode)) return XMLXSL_S_OK;
        if (file.Open(path.c_str(), kReadMode)) return XMLXSL_E_FILEOPEN;
    } catch (const CFileException&) {
    }
    gOpenXMLFiles.erase(entry);
    return XMLXSL_E_FILEOPEN;
}

// Writes the scrambled text to the codeplug's file, keeping it open and
// locked under the handle. A new file (first export, or another name) is
// opened and written before the entry's old file is let go, so a failed
// write leaves the entry as it was.
DWORD write_scrambled(const char* fileName, std::uintptr_t handle, const std::string& scrambled) {
    auto entry = gOpenXMLFiles.find(handle);
    bool sameName = entry != gOpenXMLFiles.end() && entry->second->GetFilePath() == fileName;

    std::unique_ptr<CFile> created;
    CFile* target = nullptr;
    if (sameName) {
        if (DWORD status = reopen_for_writing(entry); status != XMLXSL_S_OK) return status;
        target = entry->second.get();
    } else {
        created = make_file();
        if (!created || !created->Open(fileName, kWriteMode)) return XMLXSL_E_FILEOPEN;
        target = created.get();
    }

    try {
        target->SeekToBegin();
        target->Write(scrambled.data(), static_cast<UINT>(scrambled.size()));
        target->Flush();
    } catch (const CFileException&) {
        if (created) created->Abort();
        return XMLXSL_E_FILEIO;
    }

    if (!created) return XMLXSL_S_OK;
    if (entry != gOpenXMLFiles.end()) {
        entry->second->Abort();
        entry->second = std::move(created);
    } else {
        gOpenXMLFiles.emplace(handle, std::move(created));
    }
    return XMLXSL_S_OK;
}

// Reads the whole file, unscrambled and widened. The file stays open in
// file for the caller to keep or drop.
DWORD read_unscrambled(const char* fileName, std::unique_ptr<CFile>& file, unique_bstr& text) {
    file = make_file();
    if (!file) return XMLXSL_E_FILEOPEN;
    if (!file->Open(fileName, kReadMode)) {
        file.reset();
        return XMLXSL_E_FILEOPEN;
    }
    try {
        std::string narrow;
        char chunk[kReadChunk];
        UINT count = 0;
        do {
            count = file->Read(chunk, kReadChunk);
            narrow.append(chunk, count);  // every byte read: a zero byte is a scrambled key byte
        } while (count == kReadChunk);
        ScrambleText(narrow);
        text = to_bstr(narrow);
        return XMLXSL_S_OK;
    } catch (const CFileException&) {
        file.reset();
        return XMLXSL_E_FILEIO;
    } catch (const std::bad_alloc&) {
        file.reset();
        return XMLXSL_E_MEMORY;
    }
}

}  // namespace

DWORD XMLXSL_CP2XML(const char* fileName, ICodeplug* codeplug) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr) return static_cast<DWORD>(E_POINTER);
    try {
        unique_variant english;
        english.get()->vt = VT_BSTR;
        english.get()->bstrVal = to_bstr("English").release();

        unique_bstr xml;
        DWORD status = XMLXSL_E_CONVERT;
        try {
            status = gDocumentServer.CodeplugToXml(xml.put(), codeplug, ExportMode::File, english.get());
        } catch (...) {
            status = XMLXSL_E_CONVERT;
        }
        if (!IsLibrarySuccess(status)) return status;

        std::string text = to_ansi(xml.get());
        xml.reset();
        ScrambleText(text);
        return write_scrambled(fileName == nullptr ? "" : fileName, handle_of(codeplug), text);
    } catch (const std::bad_alloc&) {
        return XMLXSL_E_MEMORY;
    }
}

DWORD XMLXSL_XML2CP(const char* fileName, ICodeplug* codeplug) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr) return static_cast<DWORD>(E_POINTER);
    std::unique_ptr<CFile> file;
    unique_bstr text;
    if (DWORD status = read_unscrambled(fileName == nullptr ? "" : fileName, file, text); status != XMLXSL_S_OK)
        return status;

    DWORD status = XMLXSL_E_CONVERT;
    try {
        status = gDocumentServer.XmlToCodeplug(text.get(), codeplug);
    } catch (...) {
        status = XMLXSL_E_CONVERT;
    }
    text.reset();
    if (IsFailure(status)) return status;  // the file object closes as it goes

    // A file the entry held before is let go, as the export does with a
    // replaced file, rather than staying locked until the process ends.
    try {
        gOpenXMLFiles[handle_of(codeplug)] = std::move(file);
    } catch (const std::bad_alloc&) {
        return XMLXSL_E_MEMORY;
    }
    return status;
}

DWORD XMLXSL_CloseXMLFile(std::uintptr_t handle) {
    auto entry = gOpenXMLFiles.find(handle);
    if (entry == gOpenXMLFiles.end()) return XMLXSL_E_HANDLE;
    std::unique_ptr<CFile> file = std::move(entry->second);
    gOpenXMLFiles.erase(entry);
    try {
        file->Close();
    } catch (const CFileException&) {
        // Released all the same; but the data may not have reached the disk.
        return XMLXSL_E_FILEIO;
    }
    return XMLXSL_S_OK;
}
