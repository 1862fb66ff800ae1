#include "codeplug/codeplug_writer.h"

#include <algorithm>
#include <charconv>
#include <new>

#include "codeplug/status.h"
#include "platform/ansi.h"
#include "platform/exception_status.h"
#include "platform/unique_variant.h"
#include "platform/xml_narrowing.h"
#include "resourcemanager/resourcemanager.h"

namespace {

constexpr LONG kWithDeclaration = 1;

std::string_view decimal(LONG value, char (&buffer)[16]) {
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return {buffer, static_cast<std::size_t>(end - buffer)};
}

// The TYPE array inside a block variant: an array variant holding two
// dimensions whose second has exactly three columns; null otherwise.
SAFEARRAY* type_array_of(const VARIANT* block) {
    if (block->vt != (VT_ARRAY | VT_VARIANT) || block->parray == nullptr) return nullptr;
    SAFEARRAY* rows = block->parray;
    LONG firstColumn = 0;
    LONG lastColumn = 0;
    if (SafeArrayGetDim(rows) != 2 || FAILED(SafeArrayGetLBound(rows, 2, &firstColumn)) ||
        FAILED(SafeArrayGetUBound(rows, 2, &lastColumn)) || lastColumn - firstColumn != 2)
        return nullptr;
    return rows;
}

// A one-dimensional array of variants inside an array variant; null
// otherwise.
SAFEARRAY* vector_of(const VARIANT* block) {
    if (block->vt != (VT_ARRAY | VT_VARIANT) || block->parray == nullptr) return nullptr;
    return SafeArrayGetDim(block->parray) == 1 ? block->parray : nullptr;
}

// The integer a number cell holds. The codeplug object delivers VT_I4 ids
// and VT_UI1 type codes; narrower or wider integer types are read as what
// they hold rather than through the wrong member of the union.
bool read_integer(const VARIANT& cell, LONG& value) {
    switch (cell.vt) {
        case VT_I4:
            value = cell.lVal;
            return true;
        case VT_I2:
            value = cell.iVal;
            return true;
        case VT_UI1:
            value = cell.bVal;
            return true;
        default:
            return false;
    }
}

struct TypeRow {
    LONG fieldId = 0;
    BYTE typeCode = 0;
    unique_variant value;
};

// Reads the three cells of one row in the order the file format depends on:
// the id first, refused outside 1 to 470, then the type code's low byte, then
// the value text. A cell of another type than its column's is a failed read:
// taking a number's bits for a BSTR would dereference them.
DWORD read_type_row(SAFEARRAY* rows, LONG row, TypeRow& cells) {
    LONG index[2] = {row, 0};
    unique_variant cell;
    if (FAILED(SafeArrayGetElement(rows, index, cell.put())) || !read_integer(*cell.get(), cells.fieldId))
        return XMLXSL_E_GETELEMENT;
    if (cells.fieldId < kFirstFieldId || cells.fieldId > kLastFieldId) return XMLXSL_E_FIELDID;

    index[1] = 2;
    LONG typeCode = 0;
    if (FAILED(SafeArrayGetElement(rows, index, cell.put())) || !read_integer(*cell.get(), typeCode))
        return XMLXSL_E_GETELEMENT;
    cells.typeCode = static_cast<BYTE>(typeCode & 0xFF);

    index[1] = 1;
    if (FAILED(SafeArrayGetElement(rows, index, cells.value.put())) || cells.value.get()->vt != VT_BSTR)
        return XMLXSL_E_GETELEMENT;
    // A U+0000 would cut the value short in the document and a lone
    // surrogate is no character: either would lose the value silently.
    const BSTR value = cells.value.get()->bstrVal;
    if (!IsXmlText(value, SysStringLen(value))) return XMLXSL_E_GETELEMENT;
    return XMLXSL_S_OK;
}

// XML 1.0 allows these characters not even as references, so one in a
// display name or value would make the report's XML unreadable to the
// stylesheet passes. They show as U+FFFD instead. Null when the text holds
// none, which is nearly always.
unique_bstr printable(BSTR text) {
    auto forbidden = [](OLECHAR c) {
        return (c >= 0x01 && c <= 0x1F && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
    };
    const UINT length = SysStringLen(text);
    if (std::none_of(text, text + length, forbidden)) return unique_bstr();
    unique_bstr shown(SysAllocStringLen(text, length));
    if (!shown) throw std::bad_alloc();
    std::replace_if(shown.get(), shown.get() + length, forbidden, u'\uFFFD');
    return shown;
}

}  // namespace

CodeplugWriter::CodeplugWriter(const CDocumentServer& wrapper, IDocumentServer* server, ICodeplug* codeplug,
                               ExportMode mode, VARIANT* language)
    : wrapper_(wrapper), codeplug_(codeplug), mode_(mode), language_(language) {
    server->AddRef();
    server_.reset(server);
}

DWORD CodeplugWriter::WriteDocument(BSTR* text) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    server_->Reset();
    if (DWORD ready = FromServerStatus(server_->Initialize()); !IsLibrarySuccess(ready)) return ready;

    ULONG root = 0;
    DWORD status = FromServerStatus(server_->NewDocument());
    if (IsLibrarySuccess(status)) status = CreateElement(0, "TORVALE_CODEPLUG", &root);
    if (IsLibrarySuccess(status)) status = SetAttribute(root, "VERSION", std::string_view("1.0"));
    if (IsLibrarySuccess(status)) status = WriteRegions(root);
    if (IsLibrarySuccess(status)) status = Indent(root, 0);
    if (!IsLibrarySuccess(status)) {
        server_->Reset();
        return status;
    }
    return FromServerStatus(server_->GetXML(text, kWithDeclaration));
}

DWORD CodeplugWriter::WriteRegions(ULONG root) {
    char number[16];
    depth_ = 1;
    for (const RegionLayout& region : CodeplugRegions()) {
        ULONG regionNode = 0;
        if (DWORD status = Indent(root, depth_); !IsLibrarySuccess(status)) return status;
        if (DWORD status = CreateElement(root, region.name, &regionNode); !IsLibrarySuccess(status)) return status;
        ++depth_;
        for (const BlockLayout& block : region.blocks) {
            ULONG blockNode = 0;
            if (DWORD status = Indent(regionNode, depth_); !IsLibrarySuccess(status)) return status;
            if (DWORD status = CreateElement(regionNode, FieldName(block.fieldId), &blockNode);
                !IsLibrarySuccess(status))
                return status;
            if (DWORD status = SetAttribute(blockNode, "ID", decimal(block.fieldId, number)); !IsLibrarySuccess(status))
                return status;
            ++depth_;
            DWORD written = WriteBlock(block.fieldId, block.kind, blockNode);
            --depth_;
            if (!IsLibrarySuccess(written)) return written;
            if (DWORD status = Indent(blockNode, depth_); !IsLibrarySuccess(status)) return status;
        }
        --depth_;
        if (DWORD status = Indent(regionNode, depth_); !IsLibrarySuccess(status)) return status;
    }
    return XMLXSL_S_OK;
}

DWORD CodeplugWriter::WriteBlock(LONG fieldId, BlockKind kind, ULONG blockNode) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    unique_variant block;
    if (DWORD got = status_of_call([&] { return FromResult(codeplug_->GetBlock(fieldId, block.put())); },
                                   XMLXSL_E_GETBLOCK, XMLXSL_E_GETBLOCK);
        !IsLibrarySuccess(got))
        return got;
    switch (kind) {
        case BlockKind::Type:
            return WriteTypeArray(blockNode, block.get());
        case BlockKind::Entry:
            return WriteEntryArray(blockNode, block.get(), false);
        case BlockKind::List:
            return WriteEntryArray(blockNode, block.get(), true);
    }
    return XMLXSL_E_BLOCKKIND;
}

DWORD CodeplugWriter::WriteTypeArray(ULONG node, VARIANT* block) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    SAFEARRAY* rows = type_array_of(block);
    if (rows == nullptr) return XMLXSL_E_BLOCKSHAPE;
    LONG first = 0;
    LONG last = 0;
    if (FAILED(SafeArrayGetLBound(rows, 1, &first))) return XMLXSL_E_LBOUND;
    if (FAILED(SafeArrayGetUBound(rows, 1, &last))) return XMLXSL_E_UBOUND;

    for (LONG row = first; row <= last; ++row) {
        TypeRow cells;
        if (DWORD status = read_type_row(rows, row, cells); !IsLibrarySuccess(status)) return status;
        if (DWORD status = WriteField(node, cells.fieldId, cells.typeCode, cells.value.get()->bstrVal);
            !IsLibrarySuccess(status))
            return status;
    }
    return XMLXSL_S_OK;
}

DWORD CodeplugWriter::WriteEntryArray(ULONG node, VARIANT* block, bool list) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    SAFEARRAY* parts = vector_of(block);
    if (parts == nullptr) return XMLXSL_E_BLOCKSHAPE;
    LONG index = 0;
    unique_variant info;
    if (FAILED(SafeArrayGetElement(parts, &index, info.put()))) return XMLXSL_E_GETELEMENT;

    ULONG infoNode = 0;
    if (DWORD status = Indent(node, depth_); !IsLibrarySuccess(status)) return status;
    if (DWORD status = CreateElement(node, list ? "LIST_INFO" : "ENTRY_INFO", &infoNode); !IsLibrarySuccess(status))
        return status;
    ++depth_;
    DWORD written = WriteTypeArray(infoNode, info.get());
    --depth_;
    if (!IsLibrarySuccess(written)) return written;
    if (DWORD status = Indent(infoNode, depth_); !IsLibrarySuccess(status)) return status;

    index = 1;
    unique_variant data;
    if (FAILED(SafeArrayGetElement(parts, &index, data.put()))) return XMLXSL_E_BLOCKSHAPE;
    SAFEARRAY* items = vector_of(data.get());
    if (items == nullptr) return XMLXSL_E_BLOCKSHAPE;
    LONG first = 0;
    LONG last = 0;
    if (FAILED(SafeArrayGetLBound(items, 1, &first))) return XMLXSL_E_LBOUND;
    if (FAILED(SafeArrayGetUBound(items, 1, &last))) return XMLXSL_E_UBOUND;

    for (LONG item = first; item <= last; ++item) {
        unique_variant content;
        if (FAILED(SafeArrayGetElement(items, &item, content.put()))) return XMLXSL_E_GETELEMENT;
        ULONG itemNode = 0;
        if (DWORD status = Indent(node, depth_); !IsLibrarySuccess(status)) return status;
        if (DWORD status = CreateElement(node, list ? "LIST_DATA" : "ENTRY_DATA", &itemNode);
            !IsLibrarySuccess(status))
            return status;
        ++depth_;
        written = list ? WriteEntryArray(itemNode, content.get(), false) : WriteTypeArray(itemNode, content.get());
        --depth_;
        if (!IsLibrarySuccess(written)) return written;
        if (DWORD status = Indent(itemNode, depth_); !IsLibrarySuccess(status)) return status;
    }
    return XMLXSL_S_OK;
}

DWORD CodeplugWriter::WriteField(ULONG node, LONG fieldId, BYTE typeCode, BSTR value) {
    ULONG fieldNode = 0;
    if (DWORD status = Indent(node, depth_); !IsLibrarySuccess(status)) return status;
    if (DWORD status = CreateElement(node, FieldName(fieldId), &fieldNode); !IsLibrarySuccess(status)) return status;
    if (mode_ == ExportMode::Report) return WriteReportField(fieldNode, fieldId, value);

    char number[16];
    if (DWORD status = SetAttribute(fieldNode, "ID", decimal(fieldId, number)); !IsLibrarySuccess(status))
        return status;
    if (DWORD status = SetAttribute(fieldNode, "TYPE", decimal(typeCode, number)); !IsLibrarySuccess(status))
        return status;
    return FromServerStatus(server_->SetText(fieldNode, value));
}

DWORD CodeplugWriter::WriteReportField(ULONG fieldNode, LONG fieldId, BSTR value) {
    // A display name that cannot be had is no failure: the table name shows.
    unique_variant name;
    const bool named = IsResultSuccess(GetFieldName(fieldId, language_, name.put())) && name.vt() == VT_BSTR;
    unique_bstr shownName = named ? printable(name.get()->bstrVal) : unique_bstr();
    BSTR displayName = !named ? names_.get(FieldName(fieldId)) : shownName ? shownName.get() : name.get()->bstrVal;
    if (DWORD status = SetAttribute(fieldNode, "DISPLAY_NAME", displayName); !IsLibrarySuccess(status))
        return status;

    unique_variant english = make_bstr_variant(u"English");
    unique_variant shownValue;
    shownValue.get()->vt = VT_BSTR;
    shownValue.get()->bstrVal = SysAllocStringLen(value, SysStringLen(value));
    if (shownValue.get()->bstrVal == nullptr && value != nullptr) throw std::bad_alloc();
    unique_variant text;
    if (DWORD translated =
            FromResult(TranslateChoice(fieldId, english.get(), shownValue.get(), language_, text.put()));
        !IsLibrarySuccess(translated))
        return translated;
    // A translator that succeeds without giving a text leaves the value shown.
    BSTR shown = text.vt() == VT_BSTR ? text.get()->bstrVal : value;
    unique_bstr shownText = printable(shown);
    return FromServerStatus(server_->SetText(fieldNode, shownText ? shownText.get() : shown));
}

DWORD CodeplugWriter::Indent(ULONG node, LONG depth) { return FromServerStatus(server_->AppendIndent(node, depth)); }

DWORD CodeplugWriter::CreateElement(ULONG parent, std::string_view name, ULONG* node) {
    return FromServerStatus(server_->CreateElement(parent, node, names_.get(name)));
}

DWORD CodeplugWriter::SetAttribute(ULONG node, std::string_view name, std::string_view value) {
    unique_bstr text = to_bstr(value);
    return SetAttribute(node, name, text.get());
}

DWORD CodeplugWriter::SetAttribute(ULONG node, std::string_view name, BSTR value) {
    return FromServerStatus(server_->SetAttribute(node, names_.get(name), value));
}
