#pragma once

#include <string>
#include <vector>

#include "cli/progress_lines.h"

namespace kell::cli {

// One instrument of several updated side by side, as the console shows it.
struct InstrumentRow {
    std::string port;
    InstrumentProgress progress;
    bool finished = false;
    std::string outcome;  // the session's outcome name, once finished
    int resultCode = 0;
    int exitStatus = 0;
};

// Its line: the port, the model, then "step i/n  p %  about m min left" while it runs, or its
// outcome and result code once it finished.
std::string RowText(const InstrumentRow& row);

// The program's status for several sessions: 0 only when every one updated its instrument,
// otherwise the highest of their statuses. No session at all is no instrument.
int CombinedExitStatus(const std::vector<int>& statuses);

}  // namespace kell::cli
