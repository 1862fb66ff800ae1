#pragma once

// A codeplug object that hands out hand-made variants for chosen blocks,
// shapes that a well-behaved codeplug never builds, and the blocks of an
// inner codeplug otherwise.

#include <map>
#include <string_view>

#include "host/memory_codeplug.h"
#include "platform/unique_variant.h"

class RawBlockCodeplug final : public ICodeplug {
public:
    explicit RawBlockCodeplug(MemoryCodeplug* inner) : inner_(inner) {}

    // GetBlock of fieldId gives a copy of block from now on.
    void setRawBlock(LONG fieldId, unique_variant block) { raw_[fieldId] = std::move(block); }

    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
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
    HRESULT GetBlock(LONG fieldId, VARIANT* block) override {
        auto found = raw_.find(fieldId);
        if (found == raw_.end()) return inner_->GetBlock(fieldId, block);
        VariantInit(block);
        return found->second.copy_to(block);
    }
    HRESULT SetBlock(LONG fieldId, VARIANT* block) override { return inner_->SetBlock(fieldId, block); }

private:
    MemoryCodeplug* inner_;
    std::map<LONG, unique_variant> raw_;
};

// Builders of hand-made block variants.
unique_variant MakeTypeArray(LONG rows, LONG columns, LONG rowLowerBound = 0);
// Sets one cell of a two-dimensional array variant; takes the value.
void SetCell(unique_variant& array, LONG row, LONG column, VARIANT value);
VARIANT I4(LONG value);
VARIANT UI1(BYTE value);
// The caller's variant owns the BSTR.
VARIANT Bstr(std::u16string_view text);
// A one-dimensional array variant of the given elements, which it takes.
unique_variant MakeVector(std::initializer_list<VARIANT> elements);
