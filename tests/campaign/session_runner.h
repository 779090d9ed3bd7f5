#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/campaign/expected_contents.h"
#include "tests/campaign/session_plan.h"

namespace kell::testing {

// What a session of an instrument without faults measured: where the faults of a session of
// the same instrument are placed, and what its parameter store must hold at the end.
struct CleanFigures {
    std::int64_t durationUs = 0;
    std::uint64_t bytesToHost = 0;
    std::uint64_t bytesToDevice = 0;
    int restarts = 0;
    EepromSnapshot records;
};

// How a session ended, as the window shows it.
enum class Shown { Updated, Failed, NotFound, NotUpdated, Other };
const char* ShownName(Shown shown);

struct SessionOutcome {
    Shown shown = Shown::Other;
    int resultCode = 0;
    bool sessionRan = false;    // the update session started (the gate let it)
    UpdatedComponents planned;  // the marks the session ran with
    std::int64_t durationUs = 0;
    std::array<int, kFaultKinds> fired{};  // faults that struck, by kind
    CleanFigures figures;                  // what this session measured
    std::size_t violations = 0;            // protocol violations the instrument found
    // Broken invariants of the outcome (texts, port, contents); the time bound is the
    // caller's, which knows the bounds.
    std::vector<std::string> problems;
    // The instrument's own account with the transcript's tail, when KELL_CAMPAIGN_REPORT asks.
    std::string report;

    int FiredTotal() const;
};

// Runs one whole session, from the first press of the search button to the outcome shown, the
// user answering every question OK. The faults are placed against `clean`, the figures of a
// session of the same instrument without faults; with no faults `clean` may be null, and the
// parameter store is then not compared.
SessionOutcome RunSession(const Components& components, const std::vector<PlannedFault>& faults,
                          const CleanFigures* clean);

}  // namespace kell::testing
