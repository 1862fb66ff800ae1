#include "host/library_calls.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <variant>

#include "codeplug/layout.h"
#include "docserver/docserver.h"
#include "host/command_error.h"
#include "host/input_file.h"
#include "host/memory_codeplug.h"
#include "host/report_settings.h"
#include "host/staged_file.h"
#include "host/status_text.h"
#include "interface/scramble.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/codepage.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "platform/xml_narrowing.h"

namespace {

// Releases the XML file that the library holds open and locked for a
// codeplug object; the object's address is the library's handle for it.
class xml_file_hold {
public:
    explicit xml_file_hold(ICodeplug* codeplug) noexcept : handle_(reinterpret_cast<std::uintptr_t>(codeplug)) {}
    ~xml_file_hold() { XMLXSL_CloseXMLFile(handle_); }
    xml_file_hold(const xml_file_hold&) = delete;
    xml_file_hold& operator=(const xml_file_hold&) = delete;

private:
    std::uintptr_t handle_;
};

std::string error_text() {
    unique_bstr text;
    if (IsFailure(XMLXSL_GetReportError(text.put()))) return {};
    return to_ansi(text.get(), text.length());
}

// The place, in the codeplug file's terms, of the first row whose field id
// lies outside 1 to 470, with the id: "blocks.CP_BLOCK.items[3][2]: field id
// 999".
class foreign_id_finder {
public:
    std::optional<std::string> find(const Codeplug& codeplug) {
        for (const RegionLayout& region : CodeplugRegions())
            for (const BlockLayout& layout : region.blocks) {
                auto block = codeplug.blocks.find(layout.fieldId);
                if (block == codeplug.blocks.end()) continue;
                const std::string place = "blocks." + std::string(FieldName(layout.fieldId));
                if (std::visit([&](const auto& value) { return search(value, place); }, block->second))
                    return found_;
            }
        return std::nullopt;
    }

private:
    bool search(const TypeRows& rows, const std::string& place) {
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].id >= kFirstFieldId && rows[row].id <= kLastFieldId) continue;
            found_ = place + "[" + std::to_string(row) + "]: field id " + std::to_string(rows[row].id);
            return true;
        }
        return false;
    }
    bool search(const EntryBlock& entry, const std::string& place) {
        if (search(entry.info, place + ".info")) return true;
        for (std::size_t item = 0; item < entry.items.size(); ++item)
            if (search(entry.items[item], place + ".items[" + std::to_string(item) + "]")) return true;
        return false;
    }
    bool search(const ListBlock& list, const std::string& place) {
        if (search(list.info, place + ".info")) return true;
        for (std::size_t item = 0; item < list.items.size(); ++item)
            if (search(list.items[item], place + ".items[" + std::to_string(item) + "]")) return true;
        return false;
    }

    std::string found_;
};

bool disk_is_full(const std::string& path) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    std::filesystem::space_info space = std::filesystem::space(folder, error);
    return !error && space.available < 64 * 1024;
}

[[noreturn]] void fail_to_export(DWORD status, const Codeplug& codeplug, const unique_staged_file& output,
                                 const std::string& source) {
    if (status == XMLXSL_E_FIELDID) {
        if (std::optional<std::string> place = foreign_id_finder().find(codeplug))
            throw CommandError(source + ": " + *place + " cannot be exported: " + DescribeStatus(status));
    }
    const std::string name = OutputName(output.target());
    if (status == XMLXSL_E_FILEIO && disk_is_full(output.temporaryPath()))
        throw CommandError(name + ": cannot be written: the disk is full; free some space and try again (" +
                           NameStatus(status) + ")");
    throw CommandError("cannot export to " + name + ": " + DescribeStatus(status));
}

bool means_no_memory(DWORD status) {
    return status == XMLXSL_E_MEMORY || status == static_cast<DWORD>(DOCSERVER_E_OUTOFMEMORY) ||
           status == static_cast<DWORD>(E_OUTOFMEMORY);
}

[[noreturn]] void fail_for_memory(const std::string& file, std::uint64_t size, std::optional<DWORD> status) {
    throw CommandError("not enough memory to read " + file + " (" + DescribeSize(size) + ")" +
                       (status ? ": " + NameStatus(*status) : std::string()) + "; close other programs and try again");
}

// Imports the scrambled XML file `file`, of `size` bytes, which messages call
// `shown`; a refusal of the library starts with `refusal`.
Codeplug import_named(const std::string& file, const std::string& shown, std::uint64_t size,
                      const std::string& refusal) {
    try {
        com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create();
        DWORD status = XMLXSL_XML2CP(file.c_str(), object.get());
        xml_file_hold read(object.get());
        if (means_no_memory(status)) fail_for_memory(shown, size, status);
        if (!IsLibrarySuccess(status)) throw CommandError(refusal + ": " + DescribeStatus(status));
        return object->codeplug();
    } catch (const std::bad_alloc&) {
        fail_for_memory(shown, size, std::nullopt);
    }
}

// XML text narrowed to the ANSI code page, as the library reads and writes
// it; `subject` names the text in a refusal.
std::string narrowed_xml(std::u16string_view text, const std::string& subject) {
    std::string narrow;
    switch (try_to_ansi_xml(text.data(), text.size(), narrow)) {
        case xml_narrowing::converted:
            return narrow;
        case xml_narrowing::lone_surrogate:
            throw CommandError(subject + " holds half a character (a lone surrogate), which no code page can "
                                         "write; the codeplug may be damaged");
        case xml_narrowing::nul_character:
            throw CommandError(subject + " holds the character U+0000, which no XML text may hold; the codeplug "
                                         "may be damaged");
        case xml_narrowing::outside_text:
            break;
    }
    throw CommandError(subject + " holds a character that code page " + std::to_string(GetACP()) +
                       " lacks in a name or a comment, where no reference can stand for it; set XMLXSL_ACP to a "
                       "code page that has it");
}

}  // namespace

library_session::library_session() {
    if (DWORD status = XMLXSL_Open(); !IsLibrarySuccess(status))
        throw CommandError("the library cannot be opened: " + DescribeStatus(status));
}

library_session::~library_session() { XMLXSL_Close(); }

void ExportXmlFile(const Codeplug& codeplug, const output_target& target, const std::string& source) {
    unique_staged_file output(target);
    com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create(codeplug);
    {
        DWORD status = XMLXSL_CP2XML(output.temporaryPath().c_str(), object.get());
        xml_file_hold written(object.get());
        if (!IsLibrarySuccess(status)) fail_to_export(status, codeplug, output, source);
    }
    output.commit();
}

Codeplug ImportXmlFile(const std::string& file) {
    return import_named(file, file, CheckXmlInput(file), "cannot import " + file);
}

Codeplug ImportXmlText(std::u16string_view text, const output_target& beside, const std::string& source) {
    std::string scrambled = narrowed_xml(text, source);
    ScrambleText(scrambled);
    unique_staged_file scratch(beside);
    scratch.write(scrambled);
    return import_named(scratch.temporaryPath(), source, scrambled.size(), source + " is not a codeplug");
}

std::string LatestXmlText() {
    unique_bstr text;
    if (DWORD status = XMLXSL_WriteXML(text.put(), 1); !IsServerSuccess(static_cast<HRESULT>(status)))
        throw CommandError("cannot take the XML text: " + DescribeStatus(status));
    return narrowed_xml({text.get(), text.length()}, "the XML text");
}

std::string CreateReport(const Codeplug& codeplug, const std::string& templatePath, const std::string& language) {
    std::u16string name;
    if (!try_from_utf8(language, name, ill_formed::refuse)) throw CommandError("the language name is not UTF-8 text");
    unique_variant languageVariant = make_bstr_variant(name);

    std::string absoluteTemplate = AbsoluteTemplatePath(templatePath);
    com_ptr<MemoryCodeplug> object = MemoryCodeplug::Create(codeplug);
    std::string errorsBefore = error_text();
    unique_bstr html;
    DWORD status = XMLXSL_CreateHTML(object.get(), absoluteTemplate.c_str(), languageVariant.get(), html.put());
    if (!IsLibrarySuccess(status)) {
        std::string errorsAfter = error_text();
        std::string added =
            errorsAfter.starts_with(errorsBefore) ? errorsAfter.substr(errorsBefore.size()) : errorsAfter;
        std::string line = DescribeRegistryFailure(status, language);
        throw CommandError("cannot make the report: " + (line.empty() ? DescribeStatus(status) : line), added);
    }
    return to_ansi(html.get(), html.length());
}
