#pragma once

// A codeplug object that keeps its codeplug in memory, for tests, benchmarks
// and the command-line host. It hands out and takes whole blocks as the
// radio programming application's object does, records every call, and lets
// a test make chosen calls fail, throw, or run its own code mid-call.
//
// Heap only, reference counted: Create hands back the first reference, and
// the object lives until the last Release, so the library may hold it past
// the creator's com_ptr. Not thread-safe apart from the reference count.

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "codeplug/icodeplug.h"
#include "host/codeplug_model.h"
#include "platform/com_ptr.h"

enum class CodeplugCall { Get, Set };

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

    // Both calls first record the id, then run the call hook, then apply a
    // fault injected for the id; the object keeps itself alive meanwhile, so
    // a hook may drop the last outside reference.
    //
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

    // Faults for later calls on one block id: return `status` without doing
    // the work, or throw std::runtime_error. A success status is returned too,
    // to model an object that reports success and hands back VT_EMPTY. A
    // later fault for the same call and id replaces the earlier one; faults
    // stay until cleared.
    void failOnGet(LONG fieldId, HRESULT status);
    void throwOnGet(LONG fieldId);
    void failOnSet(LONG fieldId, HRESULT status);
    void throwOnSet(LONG fieldId);
    void clearFaults() noexcept;

    // Runs inside every later GetBlock and SetBlock; whatever it throws
    // leaves the call. An empty hook removes it.
    using CallHook = std::function<void(CodeplugCall call, LONG fieldId)>;
    void setCallHook(CallHook hook) { hook_ = std::move(hook); }

    // Every call's block id in call order, failed and throwing calls included.
    const std::vector<LONG>& getOrder() const noexcept { return getOrder_; }
    const std::vector<LONG>& setOrder() const noexcept { return setOrder_; }
    int getCalls(LONG fieldId) const noexcept;
    int setCalls(LONG fieldId) const noexcept;
    void clearCalls() noexcept;

    // The current count, for tests that check the library's AddRef and Release.
    ULONG references() const noexcept { return references_; }

private:
    struct Fault {
        HRESULT status;
        bool throws;
    };

    explicit MemoryCodeplug(Codeplug codeplug) noexcept;
    ~MemoryCodeplug() = default;

    void enterCall(CodeplugCall call, LONG fieldId, std::vector<LONG>& order);
    // The injected result for the call, if any; throws an injected throw.
    static std::optional<HRESULT> applyFault(const std::map<LONG, Fault>& faults, const char* call, LONG fieldId);

    std::atomic<ULONG> references_{1};
    Codeplug codeplug_;
    std::map<LONG, Fault> getFaults_;
    std::map<LONG, Fault> setFaults_;
    CallHook hook_;
    std::vector<LONG> getOrder_;
    std::vector<LONG> setOrder_;
};
