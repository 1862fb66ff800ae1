#pragma once

// A document server that forwards every call to a real one, records the
// calls by name, and fails the n-th call of a chosen operation with a chosen
// status. Registered in place of the built-in server, it lets a test watch
// where the converters reset the server and what they return.

#include <map>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "tests/support/stand_in_server.h"

struct ServerScript {
    std::vector<std::string> calls;  // operation names, in order
    std::string failOperation;       // e.g. "CreateElement"
    int failOnCall = 0;              // 1 = the first call of that operation
    HRESULT failStatus = static_cast<HRESULT>(0x80040499);

    int count(const std::string& operation) const;
    // The operations called after the first call of `after` that failed.
    std::vector<std::string> callsAfterFailure() const;
};

// While alive, CoCreateInstance of the document server's class gives a
// scripted server around a fresh built-in one. COM must be initialised.
class ScriptedServerRegistration {
public:
    explicit ScriptedServerRegistration(ServerScript& script);

private:
    com_ptr<IDocumentServer> spare_;
    StandInServerRegistration registration_;
};
