#include "codeplug/codeplug_reader.h"

#include <limits>

#include "codeplug/status.h"
#include "platform/ansi.h"
#include "platform/exception_status.h"
#include "platform/unique_bstr.h"
#include "platform/unique_safearray.h"
#include "platform/unique_variant.h"

namespace {

// A new array variant owning a one-dimensional array of count variants.
bool make_vector(ULONG count, VARIANT* out) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, count);
    if (array == nullptr) return false;
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = array;
    return true;
}

bool put_number(SAFEARRAY* array, LONG (&index)[2], VARTYPE type, LONG value) {
    VARIANT cell;
    VariantInit(&cell);
    cell.vt = type;
    if (type == VT_UI1)
        cell.bVal = static_cast<BYTE>(value & 0xFF);
    else
        cell.lVal = value;
    return SUCCEEDED(SafeArrayPutElement(array, index, &cell));
}

}  // namespace

LONG ParseAttributeNumber(std::string_view text) noexcept {
    text = text.substr(0, 19);
    std::size_t at = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < text.size() && isSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;  // 18 digits at most: no overflow here
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10 + (text[at] - '0');
    if (negative) value = -value;
    if (value > std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
    if (value < std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
    return static_cast<LONG>(value);
}

CodeplugReader::CodeplugReader(const CDocumentServer& wrapper, IDocumentServer* server, ICodeplug* codeplug)
    : wrapper_(wrapper), codeplug_(codeplug) {
    server->AddRef();
    server_.reset(server);
}

DWORD CodeplugReader::ReadDocument(BSTR text) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    server_->Reset();
    if (DWORD ready = FromServerStatus(server_->Initialize()); !IsLibrarySuccess(ready)) return ready;
    if (DWORD loaded = FromServerStatus(server_->LoadXML(text)); !IsLibrarySuccess(loaded)) {
        server_->Reset();
        return loaded;
    }
    for (const RegionLayout& region : CodeplugRegions()) {
        ULONG regionNode = 0;
        if (DWORD status = FindElement(0, 0, region.name, &regionNode); !IsLibrarySuccess(status)) return status;
        for (const BlockLayout& block : region.blocks) {
            if (DWORD status = ReadBlock(regionNode, block.fieldId, block.kind); !IsLibrarySuccess(status)) {
                server_->Reset();
                return status;
            }
        }
    }
    return XMLXSL_S_OK;
}

DWORD CodeplugReader::ReadBlock(ULONG regionNode, LONG fieldId, BlockKind kind) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    ULONG blockNode = 0;
    if (DWORD status = FindElement(regionNode, 0, FieldName(fieldId), &blockNode); !IsLibrarySuccess(status))
        return status;

    unique_variant block;
    DWORD built = XMLXSL_E_BLOCKKIND;
    switch (kind) {
        case BlockKind::Type:
            built = BuildTypeArray(blockNode, block.get());
            break;
        case BlockKind::Entry:
            built = BuildEntryArray(blockNode, block.get(), false);
            break;
        case BlockKind::List:
            built = BuildEntryArray(blockNode, block.get(), true);
            break;
    }
    if (!IsLibrarySuccess(built)) return built;

    return status_of_call([&] { return FromResult(codeplug_->SetBlock(fieldId, block.get())); }, XMLXSL_E_SETBLOCK,
                          XMLXSL_E_SETBLOCK);
}

DWORD CodeplugReader::BuildTypeArray(ULONG node, VARIANT* out) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    LONG rows = 0;
    if (DWORD counted = FromServerStatus(server_->GetChildCount(node, &rows)); !IsLibrarySuccess(counted))
        return counted;

    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 0}, {3, 0}};
    unique_safearray array(rows < 0 ? nullptr : SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array) return XMLXSL_E_ARRAYCREATE;

    for (LONG row = 0; row < rows; ++row) {
        ULONG field = 0;
        if (DWORD got = FromServerStatus(server_->GetChild(node, row, &field)); !IsLibrarySuccess(got)) return got;
        LONG id = 0;
        LONG typeCode = 0;
        LONG index[2] = {row, 0};
        if (DWORD status = ReadNumber(field, "ID", &id); !IsLibrarySuccess(status)) return status;
        if (!put_number(array.get(), index, VT_I4, id)) return XMLXSL_E_PUTELEMENT;
        index[1] = 2;
        if (DWORD status = ReadNumber(field, "TYPE", &typeCode); !IsLibrarySuccess(status)) return status;
        if (!put_number(array.get(), index, VT_UI1, typeCode)) return XMLXSL_E_PUTELEMENT;

        index[1] = 1;
        unique_variant value;
        value.get()->vt = VT_BSTR;
        if (DWORD got = FromServerStatus(server_->GetText(field, &value.get()->bstrVal)); !IsLibrarySuccess(got))
            return got;
        if (FAILED(SafeArrayPutElement(array.get(), index, value.get()))) return XMLXSL_E_PUTELEMENT;
    }
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = array.release();
    return XMLXSL_S_OK;
}

DWORD CodeplugReader::BuildEntryArray(ULONG node, VARIANT* out, bool list) {
    if (!wrapper_.IsOpen()) return XMLXSL_E_NOTOPEN;
    unique_variant parts;
    if (!make_vector(2, parts.get())) return XMLXSL_E_ARRAYCREATE;

    ULONG infoNode = 0;
    if (DWORD status = FindElement(node, 0, list ? "LIST_INFO" : "ENTRY_INFO", &infoNode); !IsLibrarySuccess(status))
        return status;
    unique_variant info;
    if (DWORD built = BuildTypeArray(infoNode, info.get()); !IsLibrarySuccess(built)) return built;
    LONG index = 0;
    if (FAILED(SafeArrayPutElement(parts.get()->parray, &index, info.get()))) return XMLXSL_E_PUTELEMENT;

    // Every child but the info part is taken for a data item.
    LONG children = 0;
    if (DWORD counted = FromServerStatus(server_->GetChildCount(node, &children)); !IsLibrarySuccess(counted))
        return counted;
    unique_variant items;
    if (children < 1 || !make_vector(static_cast<ULONG>(children - 1), items.get())) return XMLXSL_E_ARRAYCREATE;

    for (LONG item = 0; item < children - 1; ++item) {
        ULONG itemNode = 0;
        if (DWORD status = FindElement(node, item, list ? "LIST_DATA" : "ENTRY_DATA", &itemNode);
            !IsLibrarySuccess(status))
            return status;
        unique_variant content;
        DWORD built = list ? BuildEntryArray(itemNode, content.get(), false) : BuildTypeArray(itemNode, content.get());
        if (!IsLibrarySuccess(built)) return built;
        if (FAILED(SafeArrayPutElement(items.get()->parray, &item, content.get()))) return XMLXSL_E_PUTELEMENT;
    }
    index = 1;
    if (FAILED(SafeArrayPutElement(parts.get()->parray, &index, items.get()))) return XMLXSL_E_PUTELEMENT;
    *out = parts.release();
    return XMLXSL_S_OK;
}

DWORD CodeplugReader::FindElement(ULONG parent, LONG index, std::string_view name, ULONG* node) {
    return FromServerStatus(server_->FindElement(parent, index, node, names_.get(name)));
}

DWORD CodeplugReader::ReadNumber(ULONG node, std::string_view name, LONG* value) {
    unique_bstr text;
    if (DWORD got = FromServerStatus(server_->GetAttribute(node, names_.get(name), text.put()));
        !IsLibrarySuccess(got))
        return got;
    *value = ParseAttributeNumber(to_ansi(text.get()));
    return XMLXSL_S_OK;
}
