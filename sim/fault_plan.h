#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "sim/scenario.h"

namespace kell::sim {

// What the faults due at one occurrence of an event ask for, merged.
struct FaultEffect {
    bool noAnswer = false;
    bool refuse = false;
    bool stall = false;
    bool leaveLink = false;
    bool unplug = false;
    bool replace = false;  // wrongAnswer holds the bytes sent instead
    std::vector<std::uint8_t> wrongAnswer;
    std::vector<std::uint8_t> strayBytes;  // sent before the answer
    std::int64_t extraDelayUs = 0;

    bool Any() const {
        return noAnswer || refuse || stall || leaveLink || unplug || replace ||
               !strayBytes.empty() || extraDelayUs != 0;
    }
};

// Counts the occurrences of every event and tells which faults are due at each.
class FaultPlan {
  public:
    explicit FaultPlan(std::vector<Fault> faults = {}) : faults_(std::move(faults)) {}

    void Add(const Fault& fault) { faults_.push_back(fault); }
    // Counts one occurrence of the event and returns the faults due at it.
    FaultEffect Next(Event event);
    int Occurrences(Event event) const;

  private:
    std::vector<Fault> faults_;
    std::map<Event, int> counts_;
};

}  // namespace kell::sim
