#pragma once

#include <sys/types.h>

namespace kell::cli {

// Ctrl-C (SIGINT) and SIGTERM. The first asks the session to stop at its next safe point (the
// event pump sees the count); a second ends the process at once, with exit status 130, after
// sending SIGTERM to the children it was told of (the simulator, the copies of several sessions).
void InstallInterruptHandlers();
int InterruptCount();
// The read end of a pipe that becomes readable at every signal, for an event loop to wake on;
// -1 before the handlers are installed.
int InterruptWakeFd();
void DrainInterruptWake();
// The child to stop when the process ends at once (0 for none).
void SetChildToStopOnExit(pid_t pid);
// Further children to stop so (the copies of several sessions side by side); false when there
// is no room for another.
bool AddChildToStopOnExit(pid_t pid);
void RemoveChildToStopOnExit(pid_t pid);
void ClearChildrenToStopOnExit();

}  // namespace kell::cli
