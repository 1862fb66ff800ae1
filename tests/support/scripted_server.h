#pragma once

// A document server for tests, registered in place of the built-in one with
// CoRegisterClassObject. It records every operation by name, fails the n-th
// call of a chosen operation with a chosen status, and can throw from Reset.
//
// Behind each server stands either a built-in server, to which every call
// that is not failed goes (one such server per registration: the built-in
// one cannot be made once the stand-in is registered), or nothing: then
// GetXML gives the text <TORVALE_CODEPLUG/> with getXmlStatus, and every
// other operation DOCSERVER_S_OK without touching its out-parameters.

#include <string>
#include <vector>

#include "codeplug/idocumentserver.h"

struct ServerScript {
    // What the servers made under the registration were asked.
    int created = 0;
    int release = 0;                 // Release calls
    LONG lastOption = -1;            // the latest GetXML option
    std::vector<std::string> calls;  // every operation by name, in order, a throwing Reset too

    // What they do.
    std::string failOperation;  // e.g. "CreateElement"
    int failOnCall = 0;         // 1 = the first call of that operation
    HRESULT failStatus = static_cast<HRESULT>(0x80040499);
    bool resetThrows = false;  // Reset throws std::runtime_error
    HRESULT getXmlStatus = 0x00040400;

    int count(const std::string& operation) const;
    // The operations called after the call that failOperation and failOnCall name.
    std::vector<std::string> callsAfterFailure() const;
};

enum class Behind { BuiltInServer, Nothing };

// While alive, CoCreateInstance of the document server's class gives a
// scripted server. COM must be initialised on the thread.
class ScriptedServerRegistration {
public:
    explicit ScriptedServerRegistration(ServerScript& script, Behind behind = Behind::BuiltInServer);
    ~ScriptedServerRegistration();
    ScriptedServerRegistration(const ScriptedServerRegistration&) = delete;
    ScriptedServerRegistration& operator=(const ScriptedServerRegistration&) = delete;

private:
    struct Factory;
    Factory* factory_;
    DWORD cookie_ = 0;
};
