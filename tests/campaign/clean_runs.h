#pragma once

#include <map>
#include <string>

#include "tests/campaign/session_runner.h"

namespace kell::testing {

// Sessions of instruments without faults, run once per kind of instrument and kept: a faulted
// session of the same instrument places its faults by them and compares its parameter store
// with theirs.
class CleanRuns {
  public:
    // The figures of a session of these components without faults. A clean session that did
    // not end well is a fault of its own: `problem` then says what happened.
    const CleanFigures& For(const Components& components, std::string* problem = nullptr);
    int Count() const { return static_cast<int>(runs_.size()); }

  private:
    std::map<std::string, CleanFigures> runs_;
};

// The components a session really set out to update, with the truth the seed gave the
// instrument: identification may have marked other ones than the seed's (a damaged answer).
Components ComponentsOf(const UpdatedComponents& updated, const Components& seeded);

}  // namespace kell::testing
