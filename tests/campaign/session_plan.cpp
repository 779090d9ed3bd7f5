#include "tests/campaign/session_plan.h"

#include <cstdio>

#include "payloads/payloads.h"
#include "sim/named_scenarios.h"
#include "tests/campaign/seeded_draws.h"

namespace kell::testing {
namespace {

// One session in kHeavyOneIn carries the main firmware and the module: they are worth testing
// often, but each costs about as much as twenty light sessions. Their instruments vary less
// (three kinds, no keypad, three FPGA configurations, plans of type 0 or 1 or none), so that
// few sessions without faults are needed as their references.
constexpr std::uint64_t kHeavyOneIn = 20;
constexpr int kPlanTypes = 4;  // 0 to 3; type 0 brings the erase question and step

// How many faults a session gets: none in 15 of 100, one in 55, two in 20, three in 10.
int FaultCount(SeededDraws& draws) {
    const std::uint64_t d = draws.Below(100);
    return d < 15 ? 0 : d < 70 ? 1 : d < 90 ? 2 : 3;
}

// Relative frequencies of the kinds, in FaultKind's order.
constexpr std::uint64_t kKindWeights[kFaultKinds] = {3, 3, 2, 3, 1, 2, 1};

FaultKind DrawKind(SeededDraws& draws) {
    std::uint64_t total = 0;
    for (std::uint64_t w : kKindWeights)
        total += w;
    std::uint64_t d = draws.Below(total);
    for (int k = 0; k < kFaultKinds; ++k) {
        if (d < kKindWeights[k])
            return static_cast<FaultKind>(k);
        d -= kKindWeights[k];
    }
    return FaultKind::LostByte;
}

}  // namespace

std::string Components::Describe() const {
    std::string text;
    auto add = [&](bool on, const std::string& name) {
        if (on)
            text += (text.empty() ? "" : "+") + name;
    };
    add(keypad, "keypad");
    add(plans, "plans(type " + std::to_string(planType) + ")");
    add(zone, "zone");
    add(fpga, threeFpgaConfigurations ? "fpga" : "fpga(2)");
    add(firmware, firmwareBelow189 ? "firmware(1.89)" : "firmware(2.03)");
    add(module, "module");
    return text.empty() ? "nothing" : text;
}

sim::Scenario ScenarioFor(const Components& c) {
    sim::Scenario s = sim::scenarios::UpToDate();
    s.name = c.Describe();
    s.keepTranscript = false;
    s.threeFpgaConfigurations = c.threeFpgaConfigurations;
    if (c.firmware)
        s.firmwareRelease = c.firmwareBelow189 ? "1.89" : "2.03";
    if (c.module)
        s.module.version = 161;
    if (c.fpga)
        s.fpgaMinor = 3;
    s.planType = static_cast<std::uint8_t>(c.planType);
    s.planVersion = payloads::kChannelPlanVersions[c.planType];
    if (c.plans)
        --s.planVersion;
    return s;
}

const char* FaultKindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::LostByte:
            return "lost byte";
        case FaultKind::FlippedBit:
            return "flipped bit";
        case FaultKind::StrayBytes:
            return "stray bytes";
        case FaultKind::MissingAnswer:
            return "missing answer";
        case FaultKind::LeaveLink:
            return "leaves the link";
        case FaultKind::LongRestart:
            return "long restart";
        case FaultKind::Unplug:
            return "unplug";
    }
    return "?";
}

std::string PlannedFault::Describe() const {
    char text[96];
    std::snprintf(text, sizeof text, "%s at %.4f", FaultKindName(kind), at);
    std::string out = text;
    if (kind == FaultKind::LostByte)
        out += toDevice ? " (to the instrument)" : " (to the PC)";
    if (kind == FaultKind::FlippedBit)
        out += " (bit " + std::to_string(bit) + ")";
    if (kind == FaultKind::LongRestart)
        out += " (+" + std::to_string(delayMs) + " ms)";
    return out;
}

std::string SessionPlan::Describe() const {
    std::string out = "seed " + std::to_string(seed) + ": " + components.Describe();
    for (const PlannedFault& f : faults)
        out += "; " + f.Describe();
    return out;
}

SessionPlan PlanSession(std::uint64_t seed) {
    SeededDraws draws(seed);
    SessionPlan plan;
    plan.seed = seed;
    Components& c = plan.components;
    if (draws.Below(kHeavyOneIn) == 0) {
        // Firmware 1.89 with an old module, firmware 2.03 alone, or an old module alone (which
        // marks the firmware all the same).
        switch (draws.Below(3)) {
            case 0:
                c.firmware = c.module = c.firmwareBelow189 = true;
                break;
            case 1:
                c.firmware = true;
                c.firmwareBelow189 = false;
                break;
            default:
                c.module = true;
                c.firmwareBelow189 = false;
                break;
        }
        const std::uint64_t plans = draws.Below(3);
        c.plans = plans < 2;
        c.planType = plans == 0 ? 0 : 1;
    } else {
        // At least one of the four light components.
        do {
            c.keypad = draws.Chance(1, 3);
            c.plans = draws.Chance(1, 2);
            c.zone = draws.Chance(1, 2);
            c.fpga = draws.Chance(1, 2);
        } while (!c.keypad && !c.plans && !c.zone && !c.fpga);
        c.planType = c.plans ? static_cast<int>(draws.Below(kPlanTypes)) : 1;
        c.threeFpgaConfigurations = !c.fpga || draws.Chance(3, 4);
    }

    const int faults = FaultCount(draws);
    for (int i = 0; i < faults; ++i) {
        PlannedFault f;
        f.kind = DrawKind(draws);
        f.at = draws.Fraction();
        f.toDevice = draws.Chance(1, 2);
        f.bit = static_cast<std::uint8_t>(draws.Below(8));
        f.stray.resize(draws.Between(1, 3));
        for (std::uint8_t& b : f.stray)
            b = static_cast<std::uint8_t>(draws.Below(256));
        f.delayMs = static_cast<std::uint32_t>(draws.Between(2'000, 60'000));
        plan.faults.push_back(std::move(f));
    }
    return plan;
}

}  // namespace kell::testing
