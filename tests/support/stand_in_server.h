#pragma once

// What the test servers that stand in for the built-in document server
// share: COM identity and reference counting, the reserved entries, and the
// registration of a class object under the built-in server's class.

#include <functional>

#include "codeplug/idocumentserver.h"

class StandInServer : public IDocumentServer {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override;
    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    HRESULT Reserved3() override { return E_NOTIMPL; }
    HRESULT Reserved4() override { return E_NOTIMPL; }
    HRESULT Reserved5() override { return E_NOTIMPL; }

protected:
    virtual ~StandInServer() = default;
    // Called by every Release, before the count drops.
    virtual void released() {}

private:
    ULONG references_ = 1;
};

// While alive, CoCreateInstance of the document server's class gives what
// make returns: a new server holding one reference, or null to refuse.
// COM must be initialised on the thread.
class StandInServerRegistration {
public:
    explicit StandInServerRegistration(std::function<IDocumentServer*()> make);
    ~StandInServerRegistration();
    StandInServerRegistration(const StandInServerRegistration&) = delete;
    StandInServerRegistration& operator=(const StandInServerRegistration&) = delete;

private:
    struct Factory;
    Factory* factory_;
    DWORD cookie_ = 0;
};
