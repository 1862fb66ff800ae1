#pragma once

// A document server that counts what the library asks of it, registered
// in place of the built-in one with CoRegisterClassObject.

#include <string>

#include "tests/support/stand_in_server.h"

struct ServerCalls {
    int created = 0;
    int reset = 0;
    int release = 0;
    int getXml = 0;
    LONG lastOption = -1;
    bool resetThrows = false;
    HRESULT getXmlStatus = 0x00040400;
    std::u16string xmlText = u"<TORVALE_CODEPLUG/>";
};

// Registers the counting server's class object for the document server's
// class while alive; every server it makes reports into calls.
class CountingServerRegistration {
public:
    explicit CountingServerRegistration(ServerCalls& calls);

private:
    StandInServerRegistration registration_;
};
