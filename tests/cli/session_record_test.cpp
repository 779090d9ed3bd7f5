#include "cli/session_record.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

TEST(SessionRecording, StepsAreNamedByTheCoreAndTimedFromOneStartToTheNext) {
    CliRig rig;
    Tventana_brisca& w = rig.w();
    WindowArrangement::Identification(w).instrumentVersion = "1.89.00000";
    w.controls.Check_firmware.checked = w.controls.Check_fpga.checked =
        w.controls.Check_configuracion.checked = w.controls.Check_mpeg4_apl.checked = true;
    WindowArrangement::State(w).sessionRunning = true;

    w.seams.pump.PumpOnce();  // the session runs: the versions before are taken
    WindowArrangement::Identification(w).instrumentVersion = "changed later";
    rig.events.StepStarted(StepComponent::Zone, 1, 4);
    w.seams.pump.PumpOnce();
    rig.clock.AdvanceBy(5'000'000);
    // What the window shows in between (the zone's re-press wait) is no step.
    w.controls.Label_info3.caption = w.texts.PASO4_ERROR5_L3;
    w.seams.pump.PumpOnce();
    rig.clock.AdvanceBy(2'000'000);
    rig.events.StepStarted(StepComponent::Fpga, 2, 4);
    w.seams.pump.PumpOnce();
    rig.clock.AdvanceBy(1'500'000);
    WindowArrangement::State(w).sessionRunning = false;
    rig.events.SessionEnded(SessionEnd::Failed, 19);
    rig.record.Finish(w);

    const auto& steps = rig.record.Steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].component, "zone");
    EXPECT_DOUBLE_EQ(steps[0].seconds, 7.0);
    EXPECT_EQ(steps[1].component, "fpga");
    EXPECT_EQ(steps[1].index, 2);
    EXPECT_EQ(steps[1].total, 4);
    EXPECT_DOUBLE_EQ(steps[1].seconds, 1.5);
    ASSERT_TRUE(rig.record.Before());
    EXPECT_EQ(rig.record.Before()->firmware, "1.89.00000");
    ASSERT_TRUE(rig.record.Plan());
    EXPECT_TRUE(rig.record.Plan()->firmware && !rig.record.Plan()->erase);
    EXPECT_EQ(rig.record.HowItEnded(), Ending::Failed);
    // Every set of info lines once, in order.
    EXPECT_EQ(rig.record.Texts().size(), 2u);
}

}  // namespace
}  // namespace kell::testing
