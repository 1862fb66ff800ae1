#include <memory>
#include <string>

#include "interface/globals.h"
#include "interface/open_xml_files.h"
#include "interface/scramble.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/exception_status.h"
#include "platform/full_path.h"
#include "platform/unique_variant.h"
#include "platform/xml_narrowing.h"

namespace {

constexpr UINT kWriteMode = CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive;
constexpr UINT kReadMode = CFile::modeRead | CFile::shareExclusive;
// The reader takes the file in chunks of this size and stops at the first
// shorter one.
constexpr UINT kReadChunk = 511;

std::uintptr_t handle_of(ICodeplug* codeplug) { return reinterpret_cast<std::uintptr_t>(codeplug); }

// A converter's status; a lack of memory inside it is told as such, any
// other exception as a failed conversion.
template <class Conversion>
DWORD converted(Conversion&& conversion) noexcept {
    return status_of_call(std::forward<Conversion>(conversion), XMLXSL_E_MEMORY, XMLXSL_E_CONVERT);
}

// The document's text in the ANSI code page; a character that the page
// lacks is written as a character reference. XMLXSL_E_CONVERT for a text
// that cannot be written so, which only a host's own server can give.
DWORD narrow_document(const unique_bstr& xml, std::string& text) {
    return try_to_ansi_xml(xml.get(), xml.length(), text) == xml_narrowing::converted ? XMLXSL_S_OK
                                                                                        : XMLXSL_E_CONVERT;
}

// The same-name rewrite: the entry's file is closed and opened again for
// writing, truncated; when that is refused, the entry keeps the file open
// for reading if it can, else the entry goes. Nothing here allocates, so
// the file is never left closed for want of memory.
DWORD reopen_for_writing(OpenXMLFiles::iterator entry) noexcept {
    CFile& file = *entry->second;
    if (file.Reopen(kWriteMode)) return XMLXSL_S_OK;
    if (file.Reopen(kReadMode)) return XMLXSL_E_FILEOPEN;
    gOpenXMLFiles.erase(entry);
    return XMLXSL_E_FILEOPEN;
}

// A table entry made for a first export, taken out again unless the export
// succeeds. Made before the file, so that the entry cannot fail to be
// stored once the file is written.
class pending_entry {
public:
    explicit pending_entry(std::uintptr_t handle) : entry_(gOpenXMLFiles.try_emplace(handle).first) {}
    pending_entry(const pending_entry&) = delete;
    pending_entry& operator=(const pending_entry&) = delete;
    ~pending_entry() {
        if (!kept_) gOpenXMLFiles.erase(entry_);
    }
    void keep(std::unique_ptr<CFile> file) noexcept {
        entry_->second = std::move(file);
        kept_ = true;
    }

private:
    OpenXMLFiles::iterator entry_;
    bool kept_ = false;
};

// Writes the scrambled text to the codeplug's file, keeping it open and
// locked under the handle. A new file (first export, or another name) is
// opened and written before the entry's old file is let go, so a failed
// write leaves the entry as it was.
DWORD write_scrambled(const char* fileName, std::uintptr_t handle, const std::string& scrambled) {
    auto entry = gOpenXMLFiles.find(handle);
    // Both sides absolute and normalised: "radio.xml" and "./radio.xml" name
    // the file that the entry recorded as "/work/radio.xml".
    const bool sameName = entry != gOpenXMLFiles.end() && entry->second->GetFilePath() == FullPathName(fileName);

    std::unique_ptr<pending_entry> first;
    std::unique_ptr<CFile> created;
    CFile* target = nullptr;
    if (sameName) {
        if (DWORD status = reopen_for_writing(entry); status != XMLXSL_S_OK) return status;
        target = entry->second.get();
    } else {
        if (entry == gOpenXMLFiles.end()) first = std::make_unique<pending_entry>(handle);
        created = std::make_unique<CFile>();
        if (!created->Open(fileName, kWriteMode)) return XMLXSL_E_FILEOPEN;
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

    if (first) {
        first->keep(std::move(created));
    } else if (created) {
        entry->second->Abort();
        entry->second = std::move(created);
    }
    return XMLXSL_S_OK;
}

DWORD export_to_file(const char* fileName, ICodeplug* codeplug) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr) return static_cast<DWORD>(E_POINTER);
    unique_variant english = make_bstr_variant(u"English");

    unique_bstr xml;
    DWORD status =
        converted([&] { return gDocumentServer.CodeplugToXml(xml.put(), codeplug, ExportMode::File, english.get()); });
    if (!IsLibrarySuccess(status)) return status;

    std::string text;
    if (DWORD narrowed = narrow_document(xml, text); !IsLibrarySuccess(narrowed)) return narrowed;
    xml.reset();
    ScrambleText(text);
    return write_scrambled(fileName == nullptr ? "" : fileName, handle_of(codeplug), text);
}

// Reads the whole file, unscrambled and widened. The file stays open in
// file for the caller to keep or drop.
DWORD read_unscrambled(const char* fileName, std::unique_ptr<CFile>& file, unique_bstr& text) {
    file = std::make_unique<CFile>();
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
    }
}

DWORD import_from_file(const char* fileName, ICodeplug* codeplug) {
    if (!gLibraryOpen) return XMLXSL_E_NOTOPEN;
    if (codeplug == nullptr) return static_cast<DWORD>(E_POINTER);
    std::unique_ptr<CFile> file;
    unique_bstr text;
    if (DWORD status = read_unscrambled(fileName == nullptr ? "" : fileName, file, text); status != XMLXSL_S_OK)
        return status;

    const DWORD status = converted([&] { return gDocumentServer.XmlToCodeplug(text.get(), codeplug); });
    text.reset();
    if (!IsLibrarySuccess(status)) return status;  // the file object closes as it goes

    // A file the entry held before is let go, as the export does with a
    // replaced file, rather than staying locked until the process ends.
    gOpenXMLFiles[handle_of(codeplug)] = std::move(file);
    return status;
}

}  // namespace

DWORD XMLXSL_CP2XML(const char* fileName, ICodeplug* codeplug) noexcept {
    return status_of_call([&] { return export_to_file(fileName, codeplug); }, XMLXSL_E_MEMORY, XMLXSL_E_CONVERT);
}

DWORD XMLXSL_XML2CP(const char* fileName, ICodeplug* codeplug) noexcept {
    return status_of_call([&] { return import_from_file(fileName, codeplug); }, XMLXSL_E_MEMORY, XMLXSL_E_CONVERT);
}

DWORD XMLXSL_CloseXMLFile(std::uintptr_t handle) noexcept {
    auto entry = gOpenXMLFiles.find(handle);
    if (entry == gOpenXMLFiles.end()) return XMLXSL_E_HANDLE;
    std::unique_ptr<CFile> file = std::move(entry->second);
    gOpenXMLFiles.erase(entry);
    // Released all the same when the close fails; but the data may not have
    // reached the disk.
    return status_of_call(
        [&] {
            file->Close();
            return XMLXSL_S_OK;
        },
        XMLXSL_E_FILEIO, XMLXSL_E_FILEIO);
}
