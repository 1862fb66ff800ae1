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
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct SAFEARRAY;

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
WIN32_EXPORT BSTR SysAllocString(const OLECHAR* text);
WIN32_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
WIN32_EXPORT BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
WIN32_EXPORT void SysFreeString(BSTR text);
WIN32_EXPORT UINT SysStringLen(BSTR text);
WIN32_EXPORT UINT SysStringByteLen(BSTR text);

WIN32_EXPORT void VariantInit(VARIANT* variant);
WIN32_EXPORT HRESULT VariantClear(VARIANT* variant);
WIN32_EXPORT HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);

WIN32_EXPORT SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds);
WIN32_EXPORT SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
WIN32_EXPORT HRESULT SafeArrayDestroy(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** out);
WIN32_EXPORT UINT SafeArrayGetDim(SAFEARRAY* psa);
WIN32_EXPORT UINT SafeArrayGetElemsize(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
WIN32_EXPORT HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
WIN32_EXPORT HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* indices, void* out);
WIN32_EXPORT HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* indices, void* in);
WIN32_EXPORT HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
WIN32_EXPORT HRESULT SafeArrayLock(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayUnlock(SAFEARRAY* psa);
WIN32_EXPORT HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
WIN32_EXPORT HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);

}  // extern "C"
