// A host of the xmlxsl library in one file: a codeplug object over a plain
// struct is exported to a scrambled XML file, read back into a second one,
// and printed as an HTML report, all through the eight exported functions.
//
//   codeplug-host SAMPLES OUT   SAMPLES: the installed share/xmlxsl; OUT: a folder

#include <cstdio>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_variant.h"

struct Field {
    LONG id;
    std::u16string value;
    BYTE type;
    bool operator==(const Field&) const = default;
};
using Rows = std::vector<Field>;

// The radio as the application keeps it: RI_BLOCK's info rows and CP_BLOCK's
// items, one per channel. The library asks for every block of its layout.
struct Radio {
    Rows identity;
    std::vector<Rows> channels;
    bool operator==(const Radio&) const = default;
};
constexpr LONG kRiBlock = 3, kCpBlock = 38;
bool is_type_block(LONG id) { return id == 1 || id == 453 || id == 454; }

// A VT_ARRAY | VT_VARIANT variant that owns a new array of VARIANTs.
unique_variant new_array(UINT dimensions, SAFEARRAYBOUND* bounds) {
    unique_variant array;
    array.get()->parray = SafeArrayCreate(VT_VARIANT, dimensions, bounds);
    if (array.get()->parray == nullptr) throw std::bad_alloc();
    array.get()->vt = VT_ARRAY | VT_VARIANT;
    return array;
}
void put(const unique_variant& array, std::vector<LONG> index, const unique_variant& value) {
    if (FAILED(SafeArrayPutElement(array.get()->parray, index.data(), const_cast<VARIANT*>(value.get()))))
        throw std::bad_alloc();
}
unique_variant get(const VARIANT& array, std::vector<LONG> index) {
    unique_variant value;
    if (FAILED(SafeArrayGetElement(array.parray, index.data(), value.get()))) throw std::invalid_argument("shape");
    return value;
}
LONG count(const VARIANT& array) {
    LONG last = -1;
    SafeArrayGetUBound(array.parray, 1, &last);
    return last + 1;
}

// TYPE: a row per field of three cells, field id (VT_I4), value (VT_BSTR), type code (VT_UI1).
unique_variant type_array(const Rows& rows) {
    SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(rows.size()), 0}, {3, 0}};
    unique_variant block = new_array(2, bounds), id, type;
    id.get()->vt = VT_I4, type.get()->vt = VT_UI1;
    for (LONG row = 0; row < static_cast<LONG>(rows.size()); ++row) {
        id.get()->lVal = rows[row].id, type.get()->bVal = rows[row].type;
        put(block, {row, 0}, id), put(block, {row, 1}, make_bstr_variant(rows[row].value)), put(block, {row, 2}, type);
    }
    return block;
}
Rows read_rows(const VARIANT& block) {
    Rows rows;
    for (LONG row = 0; row < count(block); ++row) {
        unique_variant value = get(block, {row, 1});  // a null BSTR is an empty value
        rows.push_back({get(block, {row, 0}).get()->lVal,
                        {value.get()->bstrVal ? value.get()->bstrVal : u"", SysStringLen(value.get()->bstrVal)},
                        get(block, {row, 2}).get()->bVal});
    }
    return rows;
}

class RadioCodeplug final : public ICodeplug {
public:
    Radio radio;
    // Lives on the stack, and the library takes no reference: counting is moot.
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_ICodeplug ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    HRESULT Reserved3() override { return E_NOTIMPL; }
    HRESULT Reserved4() override { return E_NOTIMPL; }
    HRESULT Reserved5() override { return E_NOTIMPL; }
    HRESULT Reserved6() override { return E_NOTIMPL; }
    HRESULT Reserved7() override { return E_NOTIMPL; }
    HRESULT Reserved8() override { return E_NOTIMPL; }
    HRESULT Reserved9() override { return E_NOTIMPL; }
    HRESULT Reserved10() override { return E_NOTIMPL; }

    // ENTRY (and an empty LIST alike): [0] the info rows; [1] the items, each a TYPE array.
    HRESULT GetBlock(LONG id, VARIANT* block) override try {
        if (is_type_block(id)) {
            *block = type_array({}).release();
            return S_OK;
        }
        const std::vector<Rows> none, &items = id == kCpBlock ? radio.channels : none;
        SAFEARRAYBOUND parts{2, 0}, itemCount{static_cast<ULONG>(items.size()), 0};
        unique_variant entry = new_array(1, &parts), data = new_array(1, &itemCount);
        for (LONG item = 0; item < static_cast<LONG>(items.size()); ++item) put(data, {item}, type_array(items[item]));
        put(entry, {0}, type_array(id == kRiBlock ? radio.identity : Rows{}));
        put(entry, {1}, data);
        *block = entry.release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The block stays the library's: this reads out what it keeps.
    HRESULT SetBlock(LONG id, VARIANT* block) override try {
        if (id == kRiBlock) radio.identity = read_rows(*get(*block, {0}).get());
        if (id != kCpBlock) return S_OK;
        unique_variant items = get(*block, {1});
        radio.channels.clear();
        for (LONG item = 0; item < count(*items.get()); ++item)
            radio.channels.push_back(read_rows(*get(*items.get(), {item}).get()));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::invalid_argument&) {
        return E_INVALIDARG;
    }
};

// Says which call failed, with what the library wrote about a failed report.
bool succeeded(DWORD status, const char* call) {
    if (!IsFailure(status)) return true;
    unique_bstr details;
    XMLXSL_GetReportError(details.put());
    std::fprintf(stderr, "codeplug-host: %s: 0x%08X\n%s", call, static_cast<unsigned>(status),
                 to_ansi(details.get()).c_str());
    return false;
}

int main(int argc, char** argv) {
    if (argc != 3) return std::fputs("usage: codeplug-host SAMPLES OUT\n", stderr), 2;
    const std::string samples = argv[1], out = argv[2], xml = out + "/radio.xml";
    SetEnvironmentVariableA("XMLXSL_REGISTRY", (samples + "/settings.reg").c_str());  // the report's settings
    CoInitialize(nullptr);

    RadioCodeplug original, copy;
    original.radio = {
        {{83, u"427TRV9152", 3}, {84, u"TRM45-U1-R2", 3}},
        {{{455, u"458.18750", 4}, {424, u"Fire Dispatch 1", 3}}, {{455, u"458.12500", 4}, {424, u"Łódź Ost", 3}}}};
    unique_variant language = make_bstr_variant(u"English");
    unique_bstr text, html;
    const bool done =
        succeeded(XMLXSL_Open(), "XMLXSL_Open") && succeeded(XMLXSL_CP2XML(xml.c_str(), &original), "XMLXSL_CP2XML") &&
        succeeded(XMLXSL_CloseXMLFile(reinterpret_cast<std::uintptr_t>(&original)), "XMLXSL_CloseXMLFile") &&
        succeeded(XMLXSL_XML2CP(xml.c_str(), &copy), "XMLXSL_XML2CP") &&
        succeeded(XMLXSL_WriteXML(text.put(), 1), "XMLXSL_WriteXML") &&
        succeeded(XMLXSL_CreateHTML(&original, (samples + "/report.xsl").c_str(), language.get(), html.put()),
                  "XMLXSL_CreateHTML");
    XMLXSL_CloseXMLFile(reinterpret_cast<std::uintptr_t>(&copy));
    XMLXSL_Close();
    CoUninitialize();
    if (!done) return 1;

    std::ofstream(out + "/report.html", std::ios::binary) << to_ansi(html.get());  // in the ANSI code page, as declared
    std::printf("%s: %u characters of XML, read back %s; report.html: %u characters\n", xml.c_str(), text.length(),
                copy.radio == original.radio ? "unchanged" : "CHANGED", html.length());
    return copy.radio == original.radio ? 0 : 1;
}
