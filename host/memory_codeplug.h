#pragma once

// A codeplug object that keeps its codeplug in memory, as the radio
// programming application's object does: it hands out and takes whole blocks.
//
// Heap only, reference counted: Create hands back the first reference, and
// the object lives until the last Release, so the library may hold it past
// the creator's com_ptr. Not thread-safe apart from the reference count.

#include <atomic>

#include "codeplug/icodeplug.h"
#include "host/codeplug_model.h"
#include "platform/com_ptr.h"

class MemoryCodeplug final : public ICodeplug {
public:
    // Throws std::bad_alloc.
    static com_ptr<MemoryCodeplug> Create(Codeplug codeplug = {});

    MemoryCodeplug(const MemoryCodeplug&) = delete;
    MemoryCodeplug& operator=(const MemoryCodeplug&) = delete;

    // IUnknown and IID_ICodeplug; E_POINTER for a null object, else
    // E_NOINTERFACE with *object null.
    HRESULT QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    // Never called by the library: E_NOTIMPL.
    HRESULT Reserved1() noexcept override;
    HRESULT Reserved2() noexcept override;
    HRESULT Reserved3() noexcept override;
    HRESULT Reserved4() noexcept override;
    HRESULT Reserved5() noexcept override;
    HRESULT Reserved6() noexcept override;
    HRESULT Reserved7() noexcept override;
    HRESULT Reserved8() noexcept override;
    HRESULT Reserved9() noexcept override;
    HRESULT Reserved10() noexcept override;

    // GetBlock writes a new variant of the held block over *block without
    // freeing what it held (an [out] parameter); the caller clears it.
    // E_POINTER for a null block; E_INVALIDARG for an id the codeplug does not
    // hold; E_OUTOFMEMORY. *block is VT_EMPTY on every failure.
    HRESULT GetBlock(LONG fieldId, VARIANT* block) override;
    // Reads *block, which stays the caller's, as the kind the codeplug layout
    // gives fieldId, and holds it in place of any earlier block of that id.
    // E_POINTER for a null block; E_INVALIDARG for an id that is no block of
    // the layout; FromVariant's failures. The held codeplug is unchanged on
    // failure.
    HRESULT SetBlock(LONG fieldId, VARIANT* block) override;

    Codeplug& codeplug() noexcept { return codeplug_; }
    const Codeplug& codeplug() const noexcept { return codeplug_; }

private:
    explicit MemoryCodeplug(Codeplug codeplug) noexcept;
    ~MemoryCodeplug() = default;

    std::atomic<ULONG> references_{1};
    Codeplug codeplug_;
};
