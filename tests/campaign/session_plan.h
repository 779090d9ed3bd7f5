#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scenario.h"

namespace kell::testing {

// Which components of the simulated instrument are out of date. Identification marks the
// firmware, FPGA, plans and module from what the instrument reports (a new firmware brings the
// FPGA set, the zone and the module with it); nothing the instrument reports marks the keypad
// or the zone alone, so those two are marked as the session is about to start.
struct Components {
    bool keypad = false;
    bool plans = false;
    bool zone = false;
    bool fpga = false;
    bool firmware = false;  // the instrument's firmware is old
    bool module = false;    // the module's application is old (marks the firmware too)
    int planType = 1;       // the instrument's plan type
    bool threeFpgaConfigurations = true;
    bool firmwareBelow189 = true;  // an old firmware of 1.89.00000, else 2.03.00000

    bool Heavy() const { return firmware || module; }
    // Names the components, e.g. "plans(type 0)+zone"; the same text for the same instrument.
    std::string Describe() const;
    bool operator==(const Components&) const = default;
};

// The instrument that has exactly these components out of date, without faults and without a
// transcript.
sim::Scenario ScenarioFor(const Components& components);

enum class FaultKind {
    LostByte,       // a byte of either direction never arrives
    FlippedBit,     // a bit of an answer byte arrives inverted
    StrayBytes,     // bytes nobody sent arrive before an answer byte
    MissingAnswer,  // a whole answer (an acknowledgement among them) never arrives
    LeaveLink,      // the instrument sends its end of link 0x0A at a random moment
    LongRestart,    // one of the instrument's restarts takes far longer than it should
    Unplug,         // the port disappears at a random moment
};
inline constexpr int kFaultKinds = 7;
const char* FaultKindName(FaultKind kind);

// A fault with its place given as a fraction of the session, because the session's length is
// only known once a session of the same instrument without faults has run.
struct PlannedFault {
    FaultKind kind = FaultKind::LostByte;
    double at = 0;                    // where in the session: bytes of its direction, or time
    bool toDevice = false;            // LostByte: a byte the PC sent
    std::uint8_t bit = 0;             // FlippedBit
    std::vector<std::uint8_t> stray;  // StrayBytes
    std::uint32_t delayMs = 0;        // LongRestart: how much longer the restart takes

    std::string Describe() const;
};

struct SessionPlan {
    std::uint64_t seed = 0;
    Components components;
    std::vector<PlannedFault> faults;

    std::string Describe() const;
};

// What a seed makes of a session, the same on every machine.
SessionPlan PlanSession(std::uint64_t seed);

}  // namespace kell::testing
