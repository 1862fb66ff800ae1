#pragma once

// A codeplug object for tests: it serves its codeplug through the shipped
// MemoryCodeplug, records every call, and lets a test make chosen calls fail,
// throw, run its own code mid-call, or hand out a hand-made block variant of
// a shape that a well-behaved codeplug never builds.
//
// Heap only, reference counted: Create hands back the first reference, and
// the object lives until the last Release, so the library may hold it past
// the creator's com_ptr. Not thread-safe apart from the reference count.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "codeplug/icodeplug.h"
#include "host/memory_codeplug.h"
#include "platform/com_ptr.h"
#include "platform/unique_variant.h"

class ScriptedCodeplug final : public ICodeplug {
public:
    // Throws std::bad_alloc.
    static com_ptr<ScriptedCodeplug> Create(Codeplug codeplug = {}) {
        return com_ptr<ScriptedCodeplug>(new ScriptedCodeplug(std::move(codeplug)));
    }

    // IUnknown and IID_ICodeplug, else E_NOINTERFACE with *object null.
    HRESULT QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG AddRef() noexcept override { return ++references_; }
    ULONG Release() noexcept override;

    // Never called by the library: E_NOTIMPL.
    HRESULT Reserved1() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved2() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved3() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved4() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved5() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved6() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved7() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved8() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved9() noexcept override { return E_NOTIMPL; }
    HRESULT Reserved10() noexcept override { return E_NOTIMPL; }

    // Both calls first set *block of GetBlock to VT_EMPTY, record the id, run
    // the call hook, then apply a fault injected for the id; GetBlock then
    // gives a copy of the raw block set for the id. Otherwise they are
    // MemoryCodeplug's calls.
    HRESULT GetBlock(LONG fieldId, VARIANT* block) override;
    HRESULT SetBlock(LONG fieldId, VARIANT* block) override;

    Codeplug& codeplug() noexcept { return served_->codeplug(); }

    // Faults for later calls on one block id, until replaced: return `status`
    // without doing the work (a success status too, to model an object that
    // reports success and hands back VT_EMPTY), or throw std::runtime_error.
    void failOnGet(LONG fieldId, HRESULT status) { getFaults_[fieldId] = status; }
    void throwOnGet(LONG fieldId) { getFaults_[fieldId] = std::nullopt; }
    void failOnSet(LONG fieldId, HRESULT status) { setFaults_[fieldId] = status; }
    void throwOnSet(LONG fieldId) { setFaults_[fieldId] = std::nullopt; }
    void setRawBlock(LONG fieldId, unique_variant block) { raw_[fieldId] = std::move(block); }

    // Runs inside every later GetBlock and SetBlock with the block id;
    // whatever it throws leaves the call.
    void setCallHook(std::function<void(LONG fieldId)> hook) { hook_ = std::move(hook); }

    // Every call's block id in call order, failed and throwing calls included.
    const std::vector<LONG>& getOrder() const noexcept { return getOrder_; }
    const std::vector<LONG>& setOrder() const noexcept { return setOrder_; }

private:
    // A fault's status; none for a throw.
    using Faults = std::map<LONG, std::optional<HRESULT>>;

    explicit ScriptedCodeplug(Codeplug codeplug) : served_(MemoryCodeplug::Create(std::move(codeplug))) {}
    ~ScriptedCodeplug() = default;

    // Records the call and runs the hook; then the injected status, if any,
    // or the injected throw.
    std::optional<HRESULT> enter(std::vector<LONG>& order, const Faults& faults, LONG fieldId);

    std::atomic<ULONG> references_{1};
    com_ptr<MemoryCodeplug> served_;
    Faults getFaults_, setFaults_;
    std::map<LONG, unique_variant> raw_;
    std::function<void(LONG)> hook_;
    std::vector<LONG> getOrder_, setOrder_;
};

// Builders of hand-made block variants. Each cell builder gives a variant
// that the caller owns.
VARIANT I4(LONG value);
VARIANT UI1(BYTE value);
inline VARIANT Bstr(std::u16string_view text) { return make_bstr_variant(text).release(); }
// A two-dimensional array variant of empty cells, rows numbered from rowLowerBound.
unique_variant MakeTypeArray(LONG rows, LONG columns, LONG rowLowerBound = 0);
// Sets one cell of a two-dimensional array variant; takes the value.
void SetCell(unique_variant& array, LONG row, LONG column, VARIANT value);
// A one-dimensional array variant of the given elements, which it takes.
unique_variant MakeVector(std::initializer_list<VARIANT> elements, LONG lowerBound = 0);
