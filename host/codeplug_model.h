#pragma once

// A codeplug as plain C++ values, and the conversions between its blocks and
// the variants that a codeplug object's GetBlock and SetBlock carry.
//
// The block variants, every array a SAFEARRAY of VARIANTs held by a variant
// of type VT_ARRAY | VT_VARIANT:
//
//   TYPE   two dimensions, {rows, 3}: cell {r, 0} VT_I4 field id,
//          {r, 1} VT_BSTR value, {r, 2} VT_UI1 type code
//   ENTRY  one dimension, 2 elements: [ TYPE info ][ items: one dimension of TYPE ]
//   LIST   one dimension, 2 elements: [ TYPE info ][ items: one dimension of ENTRY ]

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "codeplug/layout.h"
#include "platform/oleauto.h"

struct FieldRow {
    LONG id;
    std::u16string value;
    // Carried from the radio's tables; nothing here reads it.
    BYTE type;

    bool operator==(const FieldRow&) const = default;
};
using TypeRows = std::vector<FieldRow>;

struct EntryBlock {
    TypeRows info;
    std::vector<TypeRows> items;

    bool operator==(const EntryBlock&) const = default;
};

struct ListBlock {
    TypeRows info;
    std::vector<EntryBlock> items;

    bool operator==(const ListBlock&) const = default;
};

// The alternatives are in BlockKind's order: Type, Entry, List.
using Block = std::variant<TypeRows, EntryBlock, ListBlock>;

struct Codeplug {
    // Keyed by the block's field id.
    std::map<LONG, Block> blocks;

    bool operator==(const Codeplug&) const = default;
};

BlockKind KindOf(const Block& block) noexcept;

// The kind that the codeplug layout gives a block id; none for an id that
// names no block of either region.
std::optional<BlockKind> FindBlockKind(LONG fieldId) noexcept;

// The id of a table name of the ids 1 to 470 ("CP_RXFREQ"); nothing for any
// other text.
std::optional<LONG> FindFieldId(std::string_view name);

// The number of field rows in every info part and every item of every block.
std::size_t CountFields(const Codeplug& codeplug) noexcept;

// Builds the block's variant, every array with lower bound 0, into *out,
// which is written over without being freed (an [out] parameter); the caller
// clears it. An empty value becomes an empty BSTR, never a null one.
// E_POINTER for a null out; E_OUTOFMEMORY when an allocation fails (a value
// too long for a BSTR included); E_INVALIDARG for a part with more elements
// than a safe array's LONG bounds hold. On failure *out is VT_EMPTY and
// nothing is left allocated.
[[nodiscard]] HRESULT ToVariant(const Block& block, VARIANT* out) noexcept;

// Reads a block variant of the given kind into out. `block` stays the
// caller's. Each array is walked from the lower to the upper bound of its
// first dimension, whatever the lower bound; the columns of a TYPE array must
// be 0, 1 and 2. A null BSTR reads as an empty value.
// DISP_E_TYPEMISMATCH for a variant or cell of the wrong type, or an array
// whose elements are not VARIANTs; E_INVALIDARG for a wrong shape (a null
// array, a wrong number of dimensions, columns or ENTRY/LIST parts) or an
// unknown kind; E_OUTOFMEMORY. On failure out is unchanged.
[[nodiscard]] HRESULT FromVariant(const VARIANT& block, BlockKind kind, Block& out) noexcept;
