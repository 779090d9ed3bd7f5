#pragma once

#include <cstdint>

namespace kell {

// Where an update session stands: what the search button does next, the session's stop flag and
// first failure, the overall bar's base, the step shown, the questions' answers and the channel
// plans accepted. The main window keeps it; front ends and tests read it.
struct SessionState {
    int stage = 0;           // 0 arm the search, 1 search and update, 2 wait for the re-press
    int failedSearches = 0;  // searches since the last success that found no usable link
    bool sessionRunning = false;
    bool stopSession = false;
    bool exitRequested = false;  // the window is closing: waits give up at their next check
    bool eraseRefused = false;
    bool rePressed = false;
    int attentionReply = 0;  // 0 none yet, 1 OK, -1 Cancel
    int resultCode = 0;      // the first failure of the session
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;  // calendar seconds some waits of a step are measured from
    int stepTotal = 0;               // planned steps, the denominator of the step text
    int stepIndex = 0;               // the step being shown, from 1

    // Channel plans accepted for this session.
    bool plansSelected = false;
    bool plansTypeIsZero = false;

    // Set when the user chose to leave; the front end ends the process.
    bool endProcessRequested = false;
};

}  // namespace kell
