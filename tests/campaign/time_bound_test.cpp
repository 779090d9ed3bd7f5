// Every wait has a bound: an instrument that stops answering in any step ends the session
// within that step's bound from the README's Reliability table and the pauses after it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "tests/campaign/campaign_rig.h"
#include "tests/campaign/reliability_bounds.h"
#include "tests/campaign/session_plan.h"

namespace kell::testing {
namespace {

using namespace bounds;

struct SilenceCase {
    const char* where;
    Components components;
    // The instrument stops answering at the first pump where this holds.
    std::function<bool(const Tventana_brisca&, const sim::Instrument&)> when;
    std::int64_t boundMs;  // from the moment it stopped to the end of the session
    int code;              // the result code the session must end with
    // A commit whose pages take this long each (0: the scenario's own), so that it can be
    // caught half-way.
    std::int64_t commitPageUs = 0;
};

Components Only(bool Components::*component) {
    Components c;
    c.*component = true;
    return c;
}

Components PlansOfType(int type) {
    Components c;
    c.plans = true;
    c.planType = type;
    return c;
}

// A new main firmware: the zone, FPGA set, main firmware and module, steps 1 to 4.
Components WholeUpdate() {
    Components c;
    c.firmware = true;
    return c;
}

// The update session is in its step `n` (counted from 1).
auto InStep(int n) {
    return [n](const Tventana_brisca& w, const sim::Instrument&) {
        return w.State().sessionRunning && w.State().stepIndex == n;
    };
}

std::vector<SilenceCase> Cases() {
    return {
        {"keypad, at its start", Only(&Components::keypad), InStep(1), kKeypadStep + kAfterFailure,
         1},
        {"keypad, during the blocks", Only(&Components::keypad),
         [](const Tventana_brisca& w, const sim::Instrument& i) {
             return w.State().sessionRunning && i.Keypad().blocks.size() >= 100;
         },
         kKeypadStep + kAfterFailure, 1},
        // Plans of type 0 bring the erase question; the erase has no code of its own.
        {"erase", PlansOfType(0), InStep(1), kEraseStep + kAfterFailure, 0},
        {"channel plans", PlansOfType(1), InStep(1), kPlansStep + kAfterFailure, 8},
        {"line-speed change", PlansOfType(1),
         [](const Tventana_brisca& w, const sim::Instrument&) {
             return w.State().sessionRunning && w.State().stepTotal == 1 &&
                    w.State().overallPosition > 0;
         },
         kLineSpeedChange + kAfterLineSpeed + kBeforeFpga + kClosing, 8},
        {"zone", Only(&Components::zone), InStep(1), kZoneStep + kAfterFailure, 5},
        // The FPGA step starts its loader before it shows its step text.
        {"FPGA set, at its start", Only(&Components::fpga),
         [](const Tventana_brisca& w, const sim::Instrument&) {
             return w.State().sessionRunning && w.diferencial != nullptr;
         },
         kFpgaStep + kAfterFailure, 16},
        {"FPGA set, at its commit", Only(&Components::fpga),
         [](const Tventana_brisca& w, const sim::Instrument& i) {
             return w.State().sessionRunning && i.Flash(0x300000, 1)[0] == 0xFF;  // its first erase
         },
         kFpgaStep + kAfterFailure, 19, 1'000'000},
        {"main firmware", WholeUpdate(), InStep(3), kFirmwareStep + kAfterFailure, 20},
        {"module, at its start", WholeUpdate(), InStep(4), kModuleStep + kAfterFailure, 12},
        {"module, while it writes itself", WholeUpdate(),
         [](const Tventana_brisca& w, const sim::Instrument& i) {
             return w.State().sessionRunning && !i.Module().lengthFrame.empty();
         },
         kModuleStep + kAfterFailure, 15},
        // The instrument restarts for the closing and does not come back.
        {"closing", PlansOfType(1),
         [](const Tventana_brisca& w, const sim::Instrument& i) {
             return w.State().sessionRunning && i.Restarts() >= 2;
         },
         kClosing + kAfterFinish + kSecond, 26},
    };
}

TEST(TimeBound, AnInstrumentThatStopsAnsweringInAnyStepEndsTheSessionWithinItsBound) {
    for (const SilenceCase& c : Cases()) {
        SCOPED_TRACE(c.where);
        sim::Scenario scenario = ScenarioFor(c.components);
        if (c.commitPageUs)
            scenario.timing.commitPageUs = c.commitPageUs;
        CampaignRig rig(std::move(scenario));
        rig.beforeSession = [&c](Tventana_brisca& w) {
            if (c.components.keypad)
                w.controls.Check_teclado.checked = true;
            if (c.components.zone)
                w.controls.Check_configuracion.checked = true;
        };
        rig.silenceWhen = [&rig, &c](const Tventana_brisca& w) {
            return c.when(w, *rig.instrument);
        };
        rig.Search();

        const Tventana_brisca& w = *rig.window;
        ASSERT_GE(rig.silencedAtUs, 0) << "the instrument never fell silent";
        const std::int64_t afterMs = (rig.NowUs() - rig.silencedAtUs) / 1000;
        std::printf("%-32s silent for %5lld s of a bound of %5lld s, code %d\n", c.where,
                    static_cast<long long>(afterMs / 1000),
                    static_cast<long long>(c.boundMs / 1000), w.State().resultCode);
        EXPECT_LE(afterMs, c.boundMs);
        EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
        EXPECT_EQ(w.State().resultCode, c.code);
        EXPECT_FALSE(w.State().sessionRunning);
        EXPECT_FALSE(rig.serial.IsOpen());
    }
}

}  // namespace
}  // namespace kell::testing
