#pragma once

// The host's codeplug object: reads and writes one whole block at a time.
// Its GetBlock and SetBlock may fail with a negative HRESULT or throw a C++
// exception; both are part of the contract.

#include "platform/com.h"
#include "platform/oleauto.h"

struct ICodeplug : IUnknown {
    virtual HRESULT Reserved1() = 0;
    virtual HRESULT Reserved2() = 0;
    virtual HRESULT Reserved3() = 0;
    virtual HRESULT Reserved4() = 0;
    virtual HRESULT Reserved5() = 0;
    virtual HRESULT Reserved6() = 0;
    virtual HRESULT Reserved7() = 0;
    virtual HRESULT Reserved8() = 0;
    virtual HRESULT Reserved9() = 0;
    virtual HRESULT Reserved10() = 0;
    virtual HRESULT GetBlock(LONG fieldId, VARIANT* block) = 0;
    virtual HRESULT SetBlock(LONG fieldId, VARIANT* block) = 0;

protected:
    ~ICodeplug() = default;
};

inline constexpr IID IID_ICodeplug = {0x5b1e7c42, 0x93d0, 0x4a6e, {0x8f, 0x21, 0x6c, 0x0d, 0x3e, 0x57, 0xa9, 0x14}};
