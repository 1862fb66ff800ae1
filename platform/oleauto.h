#pragma once

// OLE automation: BSTR, VARIANT and SAFEARRAY with Windows' layouts and
// results, since a host may build or read them directly.

#include "platform/export.h"
#include "platform/wintypes.h"

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_TYPEMASK = 0x0FFF,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct SAFEARRAY;
struct IUnknown;

// 24 bytes: the type, three reserved words, then a 16-byte union.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        SAFEARRAY* parray;
        IUnknown* punkVal;
        SHORT* piVal;
        LONG* plVal;
        BYTE* pbVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } brecVal;  // fixes the union at 16 bytes, as on Windows
    };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 24);

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

// rgsabound holds the dimensions last first: dimension 1 is
// rgsabound[cDims - 1]. pvData varies dimension 1 fastest.
struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};
static_assert(sizeof(SAFEARRAY) == 32);

constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_VARIANT = 0x0800;

extern "C" {

// BSTR: a 32-bit byte count just before the characters, the characters,
// then a NUL OLECHAR:   [ DWORD bytes ][ c0 c1 ... cn-1 ][ 0 ]
//                                     ^ the BSTR points here
// The caller owns every BSTR returned and frees it with SysFreeString. The
// allocating functions return null when out of memory or asked for 2 GiB or
// more; without text they give zeroed characters. Embedded NULs are kept and
// counted.
WIN32_EXPORT BSTR SysAllocString(const OLECHAR* text);  // null text gives null
WIN32_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
WIN32_EXPORT BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
WIN32_EXPORT void SysFreeString(BSTR text);     // null is fine
WIN32_EXPORT UINT SysStringLen(BSTR text);      // characters; null gives 0
WIN32_EXPORT UINT SysStringByteLen(BSTR text);  // bytes; null gives 0

// Known types: VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_BSTR, VT_ERROR, VT_BOOL,
// VT_UNKNOWN, VT_UI1, and with VT_ARRAY or VT_BYREF those and VT_VARIANT.
// Anything else gives DISP_E_BADVARTYPE with the variants untouched.
WIN32_EXPORT void VariantInit(VARIANT* variant);  // zeroes all 24 bytes
// Frees a BSTR, destroys an owned array (null is fine), releases an object,
// frees nothing for VT_BYREF; then the variant is all zero (VT_EMPTY). A
// locked array gives DISP_E_ARRAYISLOCKED and stays in the variant.
WIN32_EXPORT HRESULT VariantClear(VARIANT* variant);
// A deep copy (BSTRs and arrays duplicated, objects AddRef'd, VT_BYREF
// pointers copied as they are) that replaces what `destination` held.
// Copying onto itself does nothing. When the copy fails (E_OUTOFMEMORY) the
// destination is left VT_EMPTY; when the destination cannot be cleared, it
// is left as it was.
WIN32_EXPORT HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);

// Arrays of VT_UI1, VT_I2, VT_I4, VT_ERROR, VT_BOOL, VT_BSTR, VT_UNKNOWN or
// VT_VARIANT. `bounds` lists dimension 1 first; a dimension may have zero
// elements but its upper bound must fit a LONG. Null for another type, no
// dimensions, a size that overflows, or no memory. The caller owns the array.
WIN32_EXPORT SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds);
WIN32_EXPORT SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Clears every element (BSTRs freed, objects released, variants cleared) and
// frees the array. Null is fine; DISP_E_ARRAYISLOCKED while locked.
WIN32_EXPORT HRESULT SafeArrayDestroy(SAFEARRAY* psa);
// A deep copy, unlocked, that the caller owns; *out is null on failure and
// for a null array (S_OK).
WIN32_EXPORT HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** out);
WIN32_EXPORT UINT SafeArrayGetDim(SAFEARRAY* psa);       // null gives 0
WIN32_EXPORT UINT SafeArrayGetElemsize(SAFEARRAY* psa);  // null gives 0
// Dimensions count from 1. E_INVALIDARG for a null array (checked first),
// DISP_E_BADINDEX for a dimension outside 1..cDims.
WIN32_EXPORT HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
WIN32_EXPORT HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
// `indices` lists dimension 1 first; an index outside its bounds gives
// DISP_E_BADINDEX. GetElement writes a deep copy into *out, taken as
// uninitialised, that the caller clears or frees. PutElement replaces the
// element with a deep copy and leaves it as it was when that fails; as on
// Windows a BSTR or IUnknown* element is passed as the value itself (null
// allowed), every other type by address.
WIN32_EXPORT HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* indices, void* out);
WIN32_EXPORT HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* indices, void* in);
WIN32_EXPORT HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// A locked array cannot be destroyed. Unlocking an unlocked array gives
// E_UNEXPECTED. AccessData locks and gives pvData; UnaccessData unlocks.
WIN32_EXPORT HRESULT SafeArrayLock(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayUnlock(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
WIN32_EXPORT HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);

}  // extern "C"
