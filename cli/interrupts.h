#pragma once

#include <sys/types.h>

namespace kell::cli {

// Ctrl-C (SIGINT) and SIGTERM. The first asks the session to stop at its next safe point (the
// event pump sees the count); a second ends the process at once, with exit status 130, after
// sending SIGTERM to the simulator child if one runs.
void InstallInterruptHandlers();
int InterruptCount();
// The read end of a pipe that becomes readable at every signal, for an event loop to wake on;
// -1 before the handlers are installed.
int InterruptWakeFd();
void DrainInterruptWake();
// The child to stop when the process ends at once (0 for none).
void SetChildToStopOnExit(pid_t pid);

}  // namespace kell::cli
