#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/com.h"
#include "platform/oleauto.h"
#include "platform/oleheap.h"

namespace {

// One heap block per array, descriptor and data together:
//
//   [ 4 unused ][ DWORD vt ][ SAFEARRAY with cDims bounds ][ pad ][ data ... ]
//                           ^ the SAFEARRAY* points here          ^ pvData, 16-aligned
//
// The VARTYPE sits in the 4 bytes before the descriptor, where Windows keeps
// it when FADF_HAVEVARTYPE is set and where a host may look for it.
constexpr std::size_t kDescriptorOffset = 8;
constexpr std::size_t kDataAlignment = 16;
constexpr ULONG kMaxLocks = 0xFFFF;

enum class element_kind { plain, bstr, unknown, variant };

ULONG element_size(VARTYPE vt) noexcept {
    switch (vt) {
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_ERROR:
            return 4;
        case VT_BSTR:
            return sizeof(BSTR);
        case VT_UNKNOWN:
            return sizeof(IUnknown*);
        case VT_VARIANT:
            return sizeof(VARIANT);
        default:
            return 0;
    }
}

USHORT features_for(VARTYPE vt) noexcept {
    switch (vt) {
        case VT_BSTR:
            return FADF_HAVEVARTYPE | FADF_BSTR;
        case VT_UNKNOWN:
            return FADF_HAVEVARTYPE | FADF_UNKNOWN;
        case VT_VARIANT:
            return FADF_HAVEVARTYPE | FADF_VARIANT;
        default:
            return FADF_HAVEVARTYPE;
    }
}

element_kind kind_of(const SAFEARRAY* psa) noexcept {
    if (psa->fFeatures & FADF_VARIANT) return element_kind::variant;
    if (psa->fFeatures & FADF_BSTR) return element_kind::bstr;
    if (psa->fFeatures & FADF_UNKNOWN) return element_kind::unknown;
    return element_kind::plain;
}

// rgsabound is declared with one entry but holds cDims: index through a
// pointer, not the array.
SAFEARRAYBOUND* stored_bounds(SAFEARRAY* psa) noexcept { return psa->rgsabound; }

SAFEARRAYBOUND& bound_of_dimension(SAFEARRAY* psa, UINT dimension) noexcept {
    return stored_bounds(psa)[psa->cDims - dimension];
}

DWORD* vartype_slot(SAFEARRAY* psa) noexcept {
    return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(psa) - sizeof(DWORD));
}

void* block_of(SAFEARRAY* psa) noexcept { return reinterpret_cast<char*>(psa) - kDescriptorOffset; }

[[nodiscard]] bool try_multiply(std::size_t a, std::size_t b, std::size_t& product) noexcept {
    if (b != 0 && a > std::numeric_limits<std::size_t>::max() / b) return false;
    product = a * b;
    return true;
}

// GetUBound answers a LONG, so lLbound + cElements - 1 has to be one.
bool upper_bound_fits(const SAFEARRAYBOUND& bound) noexcept {
    std::int64_t upper = std::int64_t{bound.lLbound} + bound.cElements - 1;
    return upper >= std::numeric_limits<LONG>::min() && upper <= std::numeric_limits<LONG>::max();
}

std::size_t element_count(SAFEARRAY* psa) noexcept {
    std::size_t count = 1;
    for (UINT i = 0; i < psa->cDims; ++i) count *= stored_bounds(psa)[i].cElements;
    return count;
}

// A zeroed array with room for the given bounds (in any order) and no
// bounds, features or vartype filled in yet; null when the size overflows
// or the heap refuses.
[[nodiscard]] SAFEARRAY* try_allocate(UINT cDims, const SAFEARRAYBOUND* bounds, ULONG cbElements) noexcept {
    std::size_t count = 1;
    for (UINT i = 0; i < cDims; ++i)
        if (!try_multiply(count, bounds[i].cElements, count)) return nullptr;
    std::size_t data_bytes = 0;
    if (!try_multiply(count, cbElements, data_bytes)) return nullptr;
    std::size_t descriptor_end = kDescriptorOffset + offsetof(SAFEARRAY, rgsabound) + cDims * sizeof(SAFEARRAYBOUND);
    std::size_t data_offset = (descriptor_end + kDataAlignment - 1) / kDataAlignment * kDataAlignment;
    if (data_bytes > std::numeric_limits<std::size_t>::max() - data_offset) return nullptr;

    auto* block = static_cast<char*>(try_ole_allocate_zeroed(data_offset + data_bytes));
    if (!block) return nullptr;
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kDescriptorOffset);
    psa->cDims = static_cast<USHORT>(cDims);
    psa->cbElements = cbElements;
    psa->pvData = block + data_offset;
    return psa;
}

// The element at `indices` (dimension 1 first), or null when an index lies
// outside its dimension. Dimension 1 varies fastest in pvData.
void* element_address(SAFEARRAY* psa, const LONG* indices) noexcept {
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (UINT dimension = 1; dimension <= psa->cDims; ++dimension) {
        const SAFEARRAYBOUND& bound = bound_of_dimension(psa, dimension);
        std::int64_t position = std::int64_t{indices[dimension - 1]} - bound.lLbound;
        if (position < 0 || position >= std::int64_t{bound.cElements}) return nullptr;
        offset += static_cast<std::size_t>(position) * stride;
        stride *= bound.cElements;
    }
    return static_cast<char*>(psa->pvData) + offset * psa->cbElements;
}

// A copy made by byte length, so that odd-length strings stay exact. Stores
// null on failure.
[[nodiscard]] HRESULT try_copy_bstr(BSTR source, BSTR* out) noexcept {
    *out = nullptr;
    if (!source) return S_OK;
    *out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Copies one element into zeroed storage; on failure the storage still
// holds nothing that needs freeing.
[[nodiscard]] HRESULT try_copy_element(element_kind kind, void* target, const void* source, ULONG cbElements) noexcept {
    switch (kind) {
        case element_kind::variant:
            return VariantCopy(static_cast<VARIANT*>(target), static_cast<const VARIANT*>(source));
        case element_kind::bstr:
            return try_copy_bstr(*static_cast<const BSTR*>(source), static_cast<BSTR*>(target));
        case element_kind::unknown: {
            IUnknown* object = *static_cast<IUnknown* const*>(source);
            if (object) object->AddRef();
            *static_cast<IUnknown**>(target) = object;
            return S_OK;
        }
        case element_kind::plain:
            std::memcpy(target, source, cbElements);
            return S_OK;
    }
    return E_UNEXPECTED;
}

// An element that cannot be cleared (a nested array still locked, a
// vartype written over by a host) is left as it is: freeing what someone
// else still uses would be worse than losing it.
void clear_elements(SAFEARRAY* psa) noexcept {
    element_kind kind = kind_of(psa);
    if (kind == element_kind::plain) return;
    auto* element = static_cast<char*>(psa->pvData);
    for (std::size_t i = element_count(psa); i > 0; --i, element += psa->cbElements) {
        switch (kind) {
            case element_kind::variant:
                VariantClear(reinterpret_cast<VARIANT*>(element));
                break;
            case element_kind::bstr:
                SysFreeString(std::exchange(*reinterpret_cast<BSTR*>(element), nullptr));
                break;
            case element_kind::unknown:
                if (IUnknown* object = std::exchange(*reinterpret_cast<IUnknown**>(element), nullptr))
                    object->Release();
                break;
            case element_kind::plain:
                break;
        }
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds) {
    ULONG size = element_size(vt);
    if (size == 0 || !bounds || cDims == 0 || cDims > std::numeric_limits<USHORT>::max()) return nullptr;
    for (UINT i = 0; i < cDims; ++i)
        if (!upper_bound_fits(bounds[i])) return nullptr;

    SAFEARRAY* psa = try_allocate(cDims, bounds, size);
    if (!psa) return nullptr;
    psa->fFeatures = features_for(vt);
    *vartype_slot(psa) = vt;
    for (UINT dimension = 1; dimension <= cDims; ++dimension)
        bound_of_dimension(psa, dimension) = bounds[dimension - 1];
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (psa->cLocks != 0) return DISP_E_ARRAYISLOCKED;
    clear_elements(psa);
    ole_free(block_of(psa));
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!psa) return S_OK;

    SAFEARRAY* copy = try_allocate(psa->cDims, stored_bounds(psa), psa->cbElements);
    if (!copy) return E_OUTOFMEMORY;
    copy->fFeatures = psa->fFeatures;
    if (psa->fFeatures & FADF_HAVEVARTYPE) *vartype_slot(copy) = *vartype_slot(psa);
    std::memcpy(stored_bounds(copy), stored_bounds(psa), psa->cDims * sizeof(SAFEARRAYBOUND));

    element_kind kind = kind_of(psa);
    std::size_t count = element_count(psa);
    if (kind == element_kind::plain) {
        std::memcpy(copy->pvData, psa->pvData, count * psa->cbElements);
    } else {
        auto* source = static_cast<const char*>(psa->pvData);
        auto* target = static_cast<char*>(copy->pvData);
        for (std::size_t i = 0; i < count; ++i, source += psa->cbElements, target += psa->cbElements) {
            if (HRESULT hr = try_copy_element(kind, target, source, psa->cbElements); FAILED(hr)) {
                SafeArrayDestroy(copy);
                return hr;
            }
        }
    }
    *out = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    *plLbound = bound_of_dimension(psa, nDim).lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = bound_of_dimension(psa, nDim);
    *plUbound = static_cast<LONG>(std::int64_t{bound.lLbound} + bound.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* indices, void* out) {
    if (!psa || !indices || !out) return E_INVALIDARG;
    void* element = element_address(psa, indices);
    if (!element) return DISP_E_BADINDEX;
    element_kind kind = kind_of(psa);
    // The caller's out-value is taken as uninitialised, never freed.
    if (kind == element_kind::variant) VariantInit(static_cast<VARIANT*>(out));
    return try_copy_element(kind, out, element, psa->cbElements);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* indices, void* in) {
    if (!psa || !indices) return E_INVALIDARG;
    element_kind kind = kind_of(psa);
    // Windows' convention:
    // a BSTR or IUnknown* is passed itself, and may be null; any other type by address.
    if (!in && (kind == element_kind::variant || kind == element_kind::plain)) return E_INVALIDARG;
    void* element = element_address(psa, indices);
    if (!element) return DISP_E_BADINDEX;

    switch (kind) {
        case element_kind::variant: {
            // Copied aside first, so that a failed copy leaves the element as it was.
            VARIANT copy;
            VariantInit(&copy);
            if (HRESULT hr = VariantCopy(&copy, static_cast<VARIANT*>(in)); FAILED(hr)) return hr;
            auto* slot = static_cast<VARIANT*>(element);
            if (HRESULT hr = VariantClear(slot); FAILED(hr)) {
                VariantClear(&copy);
                return hr;
            }
            *slot = copy;
            return S_OK;
        }
        case element_kind::bstr: {
            BSTR copy = nullptr;
            if (HRESULT hr = try_copy_bstr(static_cast<BSTR>(in), &copy); FAILED(hr)) return hr;
            SysFreeString(std::exchange(*static_cast<BSTR*>(element), copy));
            return S_OK;
        }
        case element_kind::unknown: {
            auto* object = static_cast<IUnknown*>(in);
            if (object) object->AddRef();
            if (IUnknown* old = std::exchange(*static_cast<IUnknown**>(element), object)) old->Release();
            return S_OK;
        }
        case element_kind::plain:
            std::memmove(element, in, psa->cbElements);
            return S_OK;
    }
    return E_UNEXPECTED;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) return E_INVALIDARG;
    if (!(psa->fFeatures & FADF_HAVEVARTYPE)) return E_INVALIDARG;
    *pvt = static_cast<VARTYPE>(*vartype_slot(psa));
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    // Windows' limit; a count this deep is a lock that is never undone.
    if (psa->cLocks >= kMaxLocks) return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) return E_INVALIDARG;
    if (HRESULT hr = SafeArrayLock(psa); FAILED(hr)) {
        *ppvData = nullptr;
        return hr;
    }
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }
