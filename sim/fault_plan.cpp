#include "sim/fault_plan.h"

namespace kell::sim {

FaultEffect FaultPlan::Next(Event event) {
    const int n = ++counts_[event];
    FaultEffect effect;
    for (const Fault& f : faults_) {
        if (f.event != event)
            continue;
        const bool due = f.occurrence <= 0 ||
                         (n >= f.occurrence && (f.times <= 0 || n < f.occurrence + f.times));
        if (!due)
            continue;
        switch (f.action) {
            case Action::NoAnswer:
                effect.noAnswer = true;
                break;
            case Action::WrongAnswer:
                effect.replace = true;
                effect.wrongAnswer = f.bytes;
                break;
            case Action::StrayBytes:
                effect.strayBytes.insert(effect.strayBytes.end(), f.bytes.begin(), f.bytes.end());
                break;
            case Action::Delay:
                effect.extraDelayUs += static_cast<std::int64_t>(f.delayMs) * 1000;
                break;
            case Action::LeaveLink:
                effect.leaveLink = true;
                break;
            case Action::Refuse:
                effect.refuse = true;
                break;
            case Action::Stall:
                effect.stall = true;
                break;
            case Action::Unplug:
                effect.unplug = true;
                break;
        }
    }
    return effect;
}

int FaultPlan::Occurrences(Event event) const {
    auto it = counts_.find(event);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace kell::sim
