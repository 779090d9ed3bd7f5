#pragma once

#include "app/ventana_brisca.h"

namespace kell::testing {

// Writes the main window's own state for a test that arranges a case no handler or scripted
// instrument reaches cheaply: a session running without running one, the re-press stage, what
// an identification found. The window's front ends only read that state; the tests that
// arrange through here say which case they stand in for.
struct WindowArrangement {
    static SessionState& State(Tventana_brisca& window) { return window.state_; }
    static IdentificationResults& Identification(Tventana_brisca& window) {
        return window.identification_;
    }
};

}  // namespace kell::testing
