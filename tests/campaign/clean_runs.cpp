#include "tests/campaign/clean_runs.h"

namespace kell::testing {
namespace {

// Describe names everything a scenario is made from but the plan type of an instrument whose
// plans are up to date and the FPGA configurations of one whose set is.
std::string Key(const Components& c) {
    return c.Describe() + " plan type " + std::to_string(c.planType) +
           (c.threeFpgaConfigurations ? "" : ", two FPGA configurations");
}

}  // namespace

const CleanFigures& CleanRuns::For(const Components& components, std::string* problem) {
    const std::string key = Key(components);
    auto it = runs_.find(key);
    if (it != runs_.end())
        return it->second;
    const SessionOutcome clean = RunSession(components, {}, nullptr);
    if (problem) {
        problem->clear();
        if (clean.shown != Shown::Updated)
            *problem = "without faults the session ended " + std::string(ShownName(clean.shown)) +
                       " with result code " + std::to_string(clean.resultCode);
        for (const std::string& p : clean.problems)
            *problem += (problem->empty() ? "" : "; ") + p;
        if (clean.violations > 0)
            *problem += (problem->empty() ? "" : "; ") + std::to_string(clean.violations) +
                        " protocol violation(s) without a fault";
    }
    return runs_.emplace(key, clean.figures).first->second;
}

Components ComponentsOf(const UpdatedComponents& updated, const Components& seeded) {
    Components c = seeded;
    c.keypad = updated.keypad;
    c.plans = updated.plans;
    const bool heavy = updated.firmware || updated.module;
    if (heavy && !seeded.Heavy())
        c.firmware = true;
    if (!heavy) {
        c.firmware = c.module = false;
        c.fpga = updated.fpga;
        c.zone = updated.zone;
    }
    return c;
}

}  // namespace kell::testing
