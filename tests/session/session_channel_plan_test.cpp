// Whole sessions with new channel plans to offer: the questions, the step count, the erase
// they bring and what the instrument's plan pages hold afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payloads/payloads.h"
#include "tests/session/session_checks.h"
#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

TEST(ChannelPlansOfTypeZero, TheCurrentPlanIsNotAskedAboutAndStaysAsItIs) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.fpgaMinor = 3;  // something else to update
    scenario.planType = 0;
    scenario.planVersion = 112;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_FALSE(w.controls.Check_planes.checked);
    EXPECT_FALSE(w.controls.Check_borrar.checked);
    EXPECT_FALSE(w.State().plansSelected);
    EXPECT_EQ(w.State().stepTotal, 1);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument), std::vector<std::uint8_t>{});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ChannelPlansOfTypeZero, RefusedNewPlansLeaveTheStoredOnesAndNoStepForThem) {
    SessionRig rig(sim::scenarios::PlanTypeZeroOldPlan());
    Tventana_brisca& w = *rig.window;
    rig.answerPanel = [](const std::string&) { return -1; };
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    EXPECT_EQ(rig.estimate.stepTotal, 1);
    EXPECT_EQ(rig.estimate.maximum, 30);
    EXPECT_EQ(rig.panelsAnswered, 1);  // the plan question only: nothing to erase
    EXPECT_FALSE(w.controls.Check_planes.checked);
    EXPECT_FALSE(w.controls.Check_borrar.checked);
    EXPECT_FALSE(w.State().plansSelected);
    EXPECT_EQ(w.State().stepTotal, 0);
    EXPECT_EQ(rig.stepTexts, std::vector<std::string>{});
    // Nothing was planned any more and nothing failed.
    EXPECT_EQ(w.controls.Image_accion.index, kPictureUpdated);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument), std::vector<std::uint8_t>{});
    EXPECT_FALSE(w.State().eraseRefused);
    EXPECT_EQ(w.State().resultCode, 0) << w.controls.Label_info1.caption;
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ChannelPlansOfTypeZero, RefusedPlansWithTheFirmwareKeepItsStepsAndTheStoredPlans) {
    sim::Scenario scenario = sim::scenarios::PlanTypeZeroOldPlan();
    scenario.firmwareRelease = "1.89";
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    rig.answerPanel = [](const std::string&) { return -1; };
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 1);
    EXPECT_EQ(w.State().stepTotal, 4);
    EXPECT_EQ(rig.stepTexts, StepTexts(w.texts, 4));
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    ExpectFirmwareInstalled(*rig.instrument);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ChannelPlansOfTypeZero, AcceptedPlansBringTheEraseAndInstallTheNewTable) {
    SessionRig rig(sim::scenarios::PlanTypeZeroOldPlan());
    Tventana_brisca& w = *rig.window;
    std::vector<std::string> asked;
    rig.answerPanel = [&](const std::string& line1) {
        asked.push_back(line1);
        return 1;
    };
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(asked, (std::vector<std::string>{w.texts.AVISOPLAN1, w.texts.AVISOMEM1}));
    EXPECT_TRUE(w.controls.Check_borrar.checked);
    // The erase is one more step; the estimate was made before and stays.
    EXPECT_EQ(rig.estimate.stepTotal, 1);
    EXPECT_EQ(w.State().stepTotal, 2);
    EXPECT_EQ(w.controls.ProgressBar_general.maximum, 30);
    EXPECT_EQ(rig.stepTexts, StepTexts(w.texts, 2));
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument),
              (std::vector<std::uint8_t>{1, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44}));
    const auto table = payloads::ChannelPlan(0);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, table.size()), Bytes(table));
    EXPECT_EQ(w.State().resultCode, 0);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

// Identification marks every plan of type 4 (it compares them as type 0); the sequence knows
// the type's own version, compares it with the one the instrument holds and asks only when
// they differ.
TEST(ChannelPlansOfTypeFour, TheCurrentPlanIsNotAskedAboutButStillSent) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planType = 4;
    scenario.planVersion = 111;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_TRUE(w.controls.Check_planes.checked);
    EXPECT_FALSE(w.controls.Check_borrar.checked);
    EXPECT_EQ(w.Identification().plansExpectedVersion, 111);
    EXPECT_EQ(rig.stepTexts, StepTexts(w.texts, 1));
    const auto table = payloads::ChannelPlan(4);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, table.size()), Bytes(table));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ChannelPlansOfTypeFour, AnOldPlanIsAskedAbout) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planType = 4;
    scenario.planVersion = 100;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    rig.answerPanel = [](const std::string&) { return -1; };
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    EXPECT_EQ(rig.panelsAnswered, 1);
    EXPECT_EQ(w.Identification().plansStoredVersion, 100);
    EXPECT_FALSE(w.controls.Check_planes.checked);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

}  // namespace
}  // namespace kell::testing
