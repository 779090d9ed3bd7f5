#pragma once

#include <optional>
#include <string>

#include "cli/console_words.h"
#include "cli/session_record.h"

namespace kell::cli {

// The exit statuses of kell-update-cli.
enum ExitStatus : int {
    kExitUpdated = 0,
    kExitTrouble = 1,  // the program could not do what was asked (simulator, export, trace)
    kExitNoInstrument = 2,
    kExitNotUpdated = 3,  // nothing to do, or the update is not allowed for this instrument
    kExitFailed = 4,      // failed or cancelled
    kExitUsage = 64,
    kExitAtOnce = 130,  // a second interrupt
};

struct Outcome {
    std::string name;  // "updated", "not-found", "not-updated", "failed", "cancelled",
                       // "unverified", "incomplete"
    int exitStatus = kExitFailed;
    std::string summary;  // one line for the console
};

// How a session ended, as the core told it (no instrument, refused or nothing to do, updated,
// failed, cancelled). cancelled: the user stopped it (Ctrl-C, or a Cancel that stops the
// session); verified: whether the instrument itself reports the planned versions afterwards
// (empty when it was not asked). A done session that the instrument contradicts is not a
// success; nor is a search or session the core never told the end of.
Outcome DecideOutcome(Ending ending, int resultCode, bool eraseRefused, bool cancelled,
                      std::optional<bool> verified, const ConsoleWords& words = {});

}  // namespace kell::cli
