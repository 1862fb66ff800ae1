#include "host/codeplug_model.h"

#include <limits>
#include <new>
#include <unordered_map>
#include <utility>

#include "platform/exception_status.h"
#include "platform/unique_safearray.h"

namespace {

constexpr VARTYPE kArrayOfVariants = VT_ARRAY | VT_VARIANT;
constexpr ULONG kTypeColumns = 3;

template <typename... Visitors>
struct overloaded : Visitors... {
    using Visitors::operator()...;
};
// clang before 17 deduces no aggregate's arguments without a guide.
template <typename... Visitors>
overloaded(Visitors...) -> overloaded<Visitors...>;

// Exceptions of the standard library as statuses.
template <typename Operation>
HRESULT status_of(Operation&& operation) noexcept {
    return status_of_call(std::forward<Operation>(operation), E_OUTOFMEMORY, E_UNEXPECTED);
}

// Holds SafeArrayAccessData's lock for one scope. It must end before the
// array's owner does: a locked array refuses to be destroyed, and would leak.
class scoped_data_access {
public:
    explicit scoped_data_access(SAFEARRAY* array) noexcept : array_(array) {
        void* data = nullptr;
        status_ = SafeArrayAccessData(array, &data);
        cells_ = static_cast<VARIANT*>(data);
    }
    scoped_data_access(const scoped_data_access&) = delete;
    scoped_data_access& operator=(const scoped_data_access&) = delete;
    ~scoped_data_access() {
        if (SUCCEEDED(status_)) SafeArrayUnaccessData(array_);
    }

    HRESULT status() const noexcept { return status_; }
    VARIANT* cells() const noexcept { return cells_; }

private:
    SAFEARRAY* array_;
    VARIANT* cells_ = nullptr;
    HRESULT status_;
};

// The upper bound of a dimension is a LONG, lower bound + count - 1.
HRESULT try_element_count(std::size_t size, ULONG& count) noexcept {
    if (size > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) return E_INVALIDARG;
    count = static_cast<ULONG>(size);
    return S_OK;
}

void publish(unique_safearray& array, VARIANT& out) noexcept {
    out.vt = kArrayOfVariants;
    out.parray = array.release();
}

// Building: every function writes `out` only once the whole part is built.
// The cells start zeroed, VT_EMPTY, so a part abandoned halfway is freed by
// destroying its array.

HRESULT try_build_rows(const TypeRows& rows, VARIANT& out) noexcept {
    ULONG count = 0;
    if (HRESULT hr = try_element_count(rows.size(), count); FAILED(hr)) return hr;
    SAFEARRAYBOUND bounds[] = {{count, 0}, {kTypeColumns, 0}};
    unique_safearray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array) return E_OUTOFMEMORY;
    {
        scoped_data_access access(array.get());
        if (FAILED(access.status())) return access.status();
        // Dimension 1 varies fastest: cell {row, column} is element column * count + row.
        VARIANT* ids = access.cells();
        VARIANT* values = ids + count;
        VARIANT* types = values + count;
        for (ULONG row = 0; row < count; ++row) {
            const FieldRow& field = rows[row];
            // SysAllocStringLen refuses a BSTR of 2 GiB or more as out of memory; so do we.
            if (field.value.size() > std::numeric_limits<UINT>::max()) return E_OUTOFMEMORY;
            BSTR text = SysAllocStringLen(field.value.data(), static_cast<UINT>(field.value.size()));
            if (!text) return E_OUTOFMEMORY;
            values[row].vt = VT_BSTR;
            values[row].bstrVal = text;
            ids[row].vt = VT_I4;
            ids[row].lVal = field.id;
            types[row].vt = VT_UI1;
            types[row].bVal = field.type;
        }
    }
    publish(array, out);
    return S_OK;
}

template <typename Item, typename BuildItem>
HRESULT try_build_items(const std::vector<Item>& items, BuildItem build_item, VARIANT& out) noexcept {
    ULONG count = 0;
    if (HRESULT hr = try_element_count(items.size(), count); FAILED(hr)) return hr;
    unique_safearray array(SafeArrayCreateVector(VT_VARIANT, 0, count));
    if (!array) return E_OUTOFMEMORY;
    {
        scoped_data_access access(array.get());
        if (FAILED(access.status())) return access.status();
        for (ULONG i = 0; i < count; ++i)
            if (HRESULT hr = build_item(items[i], access.cells()[i]); FAILED(hr)) return hr;
    }
    publish(array, out);
    return S_OK;
}

// ENTRY and LIST blocks differ only in what their items are.
template <typename Item, typename BuildItem>
HRESULT try_build_info_and_items(const TypeRows& info, const std::vector<Item>& items, BuildItem build_item,
                                 VARIANT& out) noexcept {
    unique_safearray array(SafeArrayCreateVector(VT_VARIANT, 0, 2));
    if (!array) return E_OUTOFMEMORY;
    {
        scoped_data_access access(array.get());
        if (FAILED(access.status())) return access.status();
        if (HRESULT hr = try_build_rows(info, access.cells()[0]); FAILED(hr)) return hr;
        if (HRESULT hr = try_build_items(items, build_item, access.cells()[1]); FAILED(hr)) return hr;
    }
    publish(array, out);
    return S_OK;
}

HRESULT try_build_entry(const EntryBlock& entry, VARIANT& out) noexcept {
    return try_build_info_and_items(entry.info, entry.items, try_build_rows, out);
}

HRESULT try_build_list(const ListBlock& list, VARIANT& out) noexcept {
    return try_build_info_and_items(list.info, list.items, try_build_entry, out);
}

// Reading: cells are read in place under the array's lock rather than copied
// out one by one, so an array must be checked to hold VARIANTs first.

struct dimension_extent {
    LONG lower;
    std::size_t count;
};

HRESULT try_open_array(const VARIANT& holder, UINT dimensions, SAFEARRAY*& array) noexcept {
    if (holder.vt != kArrayOfVariants) return DISP_E_TYPEMISMATCH;
    if (!holder.parray) return E_INVALIDARG;
    if (!(holder.parray->fFeatures & FADF_VARIANT) || holder.parray->cbElements != sizeof(VARIANT))
        return DISP_E_TYPEMISMATCH;
    if (SafeArrayGetDim(holder.parray) != dimensions) return E_INVALIDARG;
    array = holder.parray;
    return S_OK;
}

HRESULT try_extent(SAFEARRAY* array, UINT dimension, dimension_extent& extent) noexcept {
    LONG lower = 0;
    LONG upper = 0;
    if (HRESULT hr = SafeArrayGetLBound(array, dimension, &lower); FAILED(hr)) return hr;
    if (HRESULT hr = SafeArrayGetUBound(array, dimension, &upper); FAILED(hr)) return hr;
    extent = {lower, static_cast<std::size_t>(std::int64_t{upper} - lower + 1)};
    return S_OK;
}

std::u16string text_of(BSTR text) {
    if (!text) return {};
    return {text, SysStringLen(text)};
}

HRESULT try_read_rows(const VARIANT& holder, TypeRows& out) {
    SAFEARRAY* array = nullptr;
    if (HRESULT hr = try_open_array(holder, 2, array); FAILED(hr)) return hr;
    dimension_extent rows{};
    dimension_extent columns{};
    if (HRESULT hr = try_extent(array, 1, rows); FAILED(hr)) return hr;
    if (HRESULT hr = try_extent(array, 2, columns); FAILED(hr)) return hr;
    if (columns.lower != 0 || columns.count != kTypeColumns) return E_INVALIDARG;

    scoped_data_access access(array);
    if (FAILED(access.status())) return access.status();
    const VARIANT* ids = access.cells();
    const VARIANT* values = ids + rows.count;
    const VARIANT* types = values + rows.count;
    TypeRows read;
    read.reserve(rows.count);
    for (std::size_t row = 0; row < rows.count; ++row) {
        if (ids[row].vt != VT_I4 || values[row].vt != VT_BSTR || types[row].vt != VT_UI1) return DISP_E_TYPEMISMATCH;
        read.push_back({ids[row].lVal, text_of(values[row].bstrVal), types[row].bVal});
    }
    out = std::move(read);
    return S_OK;
}

template <typename Item, typename ReadItem>
HRESULT try_read_items(const VARIANT& holder, ReadItem read_item, std::vector<Item>& out) {
    SAFEARRAY* array = nullptr;
    if (HRESULT hr = try_open_array(holder, 1, array); FAILED(hr)) return hr;
    dimension_extent items{};
    if (HRESULT hr = try_extent(array, 1, items); FAILED(hr)) return hr;

    scoped_data_access access(array);
    if (FAILED(access.status())) return access.status();
    std::vector<Item> read(items.count);
    for (std::size_t i = 0; i < items.count; ++i)
        if (HRESULT hr = read_item(access.cells()[i], read[i]); FAILED(hr)) return hr;
    out = std::move(read);
    return S_OK;
}

template <typename Item, typename ReadItem>
HRESULT try_read_info_and_items(const VARIANT& holder, ReadItem read_item, TypeRows& info, std::vector<Item>& items) {
    SAFEARRAY* array = nullptr;
    if (HRESULT hr = try_open_array(holder, 1, array); FAILED(hr)) return hr;
    dimension_extent parts{};
    if (HRESULT hr = try_extent(array, 1, parts); FAILED(hr)) return hr;
    if (parts.count != 2) return E_INVALIDARG;

    scoped_data_access access(array);
    if (FAILED(access.status())) return access.status();
    if (HRESULT hr = try_read_rows(access.cells()[0], info); FAILED(hr)) return hr;
    return try_read_items(access.cells()[1], read_item, items);
}

HRESULT try_read_entry(const VARIANT& holder, EntryBlock& out) {
    return try_read_info_and_items(holder, try_read_rows, out.info, out.items);
}

HRESULT try_read_list(const VARIANT& holder, ListBlock& out) {
    return try_read_info_and_items(holder, try_read_entry, out.info, out.items);
}

template <typename Part, typename ReadPart>
HRESULT try_read_block(const VARIANT& holder, ReadPart read_part, Block& out) {
    Part part;
    if (HRESULT hr = read_part(holder, part); FAILED(hr)) return hr;
    out = std::move(part);
    return S_OK;
}

}  // namespace

BlockKind KindOf(const Block& block) noexcept { return static_cast<BlockKind>(block.index()); }

std::optional<BlockKind> FindBlockKind(LONG fieldId) noexcept {
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks)
            if (layout.fieldId == fieldId) return layout.kind;
    return std::nullopt;
}

std::optional<LONG> FindFieldId(std::string_view name) {
    static const std::unordered_map<std::string_view, LONG> ids = [] {
        std::unordered_map<std::string_view, LONG> byName;
        for (LONG id = kFirstFieldId; id <= kLastFieldId; ++id) byName.emplace(FieldName(id), id);
        return byName;
    }();
    auto found = ids.find(name);
    if (found == ids.end()) return std::nullopt;
    return found->second;
}

std::size_t CountFields(const Codeplug& codeplug) noexcept {
    auto count_entry = [](const TypeRows& info, const std::vector<TypeRows>& items) {
        std::size_t count = info.size();
        for (const TypeRows& item : items) count += item.size();
        return count;
    };
    std::size_t count = 0;
    for (const auto& [id, block] : codeplug.blocks) {
        count += std::visit(overloaded{
                                [](const TypeRows& rows) { return rows.size(); },
                                [&](const EntryBlock& entry) { return count_entry(entry.info, entry.items); },
                                [&](const ListBlock& list) {
                                    std::size_t fields = list.info.size();
                                    for (const EntryBlock& entry : list.items)
                                        fields += count_entry(entry.info, entry.items);
                                    return fields;
                                },
                            },
                            block);
    }
    return count;
}

HRESULT ToVariant(const Block& block, VARIANT* out) noexcept {
    if (!out) return E_POINTER;
    VariantInit(out);
    return std::visit(overloaded{
                          [&](const TypeRows& rows) { return try_build_rows(rows, *out); },
                          [&](const EntryBlock& entry) { return try_build_entry(entry, *out); },
                          [&](const ListBlock& list) { return try_build_list(list, *out); },
                      },
                      block);
}

HRESULT FromVariant(const VARIANT& block, BlockKind kind, Block& out) noexcept {
    return status_of([&] {
        switch (kind) {
            case BlockKind::Type:
                return try_read_block<TypeRows>(block, try_read_rows, out);
            case BlockKind::Entry:
                return try_read_block<EntryBlock>(block, try_read_entry, out);
            case BlockKind::List:
                return try_read_block<ListBlock>(block, try_read_list, out);
        }
        return E_INVALIDARG;
    });
}
