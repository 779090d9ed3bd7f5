#pragma once

#include "link/port_settings.h"

namespace kell {

// The link to the instrument: the port it runs on, its line settings, whether it is up, how
// the last probe was answered and why the last search found nothing. The main window keeps
// it; front ends and tests read it.
struct ConnectionState {
    int portNumber = 1;  // the n of the port COMn in use
    kell::PortSettings PortSettings;
    // The access letter the default-parameters window reads; 'N' unless the front end asks for
    // the service options.
    char optionsMode = 'N';
    bool connected = false;
    bool bootstrapReply = false;  // the last probe was answered 0xD5 (processor's bootstrap mode)
    bool busyReply = false;       // the last probe was answered 0x6D
    // A port of the last search existed but might not be opened (no permission).
    bool portPermissionRefused = false;
    bool portHeldElsewhere = false;   // a port of the search was open in another program
    bool searchFoundNothing = false;  // the last search ended without an instrument
};

}  // namespace kell
