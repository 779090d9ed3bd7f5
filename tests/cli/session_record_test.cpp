#include "cli/session_record.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

namespace kell::cli {
namespace {

TEST(StepText, OnlyTheStepTextOfTheSequenceCounts) {
    EXPECT_EQ(ParseStepText("Step: 2/4", "Step"), (std::pair{2, 4}));
    EXPECT_EQ(ParseStepText(": 1/1", ""), (std::pair{1, 1}));
    EXPECT_FALSE(ParseStepText("Step: 2/4 ", "Step"));
    EXPECT_FALSE(ParseStepText("Step: 2", "Step"));
    EXPECT_FALSE(ParseStepText("Step: /4", "Step"));
    EXPECT_FALSE(ParseStepText("Then press the button", "Step"));
}

TEST(StepText, ThePlansHaveAStepOfTheirOwnOnlyWithoutTheFirmware) {
    PlanMarks plans{.erase = true, .plans = true};
    EXPECT_EQ(plans.StepNames(), (std::vector<std::string>{"erase", "plans"}));
    PlanMarks full{.plans = true, .zone = true, .fpga = true, .firmware = true, .module = true};
    EXPECT_EQ(full.StepNames(), (std::vector<std::string>{"zone", "fpga", "firmware", "module"}));
}

TEST(SessionRecording, StepsAreNamedByThePlanAndTimedFromOneStepTextToTheNext) {
    testing::CliRig rig;
    Tventana_brisca& w = rig.w();
    w.instrumentVersion = "1.89.00000";
    w.Check_firmware.checked = w.Check_fpga.checked = w.Check_configuracion.checked =
        w.Check_mpeg4_apl.checked = true;
    w.sessionRunning = true;
    const std::string step = w.texts.PASO4_L3 + ": ";

    rig.record.Observe(w);  // the session runs: the versions before are taken
    w.instrumentVersion = "changed later";
    w.Label_info3.caption = step + "1/4";
    rig.record.Observe(w);
    rig.clock.AdvanceBy(5'000'000);
    // The zone's re-press wait and its return to the same step text are one step.
    w.Label_info3.caption = w.texts.PASO4_ERROR5_L3;
    rig.record.Observe(w);
    w.Label_info3.caption = step + "1/4";
    rig.record.Observe(w);
    rig.clock.AdvanceBy(2'000'000);
    w.Label_info3.caption = step + "2/4";
    rig.record.Observe(w);
    rig.clock.AdvanceBy(1'500'000);
    w.sessionRunning = false;
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
    // Every set of info lines once, in order.
    EXPECT_EQ(rig.record.Texts().size(), 5u);
}

}  // namespace
}  // namespace kell::cli
