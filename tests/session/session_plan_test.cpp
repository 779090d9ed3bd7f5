// Whole sessions that check what the plan makes of the estimate, the step count and the
// questions: the main firmware plan on both kinds of Windows, and the channel plans of type 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payloads/payloads.h"
#include "tests/session/session_checks.h"
#include "tests/session/session_rig.h"

namespace kell::testing {
namespace {

// Only the main firmware is old; the plan brings the FPGA, zone and module steps with it.
sim::Scenario OldFirmware() {
    sim::Scenario s = sim::scenarios::UpToDate();
    s.name = "old-firmware";
    s.firmwareRelease = "1.89";
    return s;
}

// What the window showed when it asked the time question.
struct Estimate {
    std::string text;
    int maximum = -1;
    int stepTotal = -1;
};

void NoteEstimate(SessionRig& rig, Estimate& estimate) {
    rig.notifier.onMessage = [&rig, &estimate](const RecordingNotifier::Message& m) {
        if (m.text.rfind(rig.window->texts.TIEMPO_TOTAL1, 0) != 0)
            return;
        estimate.text = m.text;
        estimate.maximum = rig.window->ProgressBar_general.maximum;
        estimate.stepTotal = rig.window->stepTotal;
    };
}

std::vector<std::string> StepTexts(const Tventana_brisca& w, int total) {
    std::vector<std::string> texts;
    for (int i = 1; i <= total; ++i)
        texts.push_back(w.texts.PASO4_L3 + ": " + std::to_string(i) + "/" + std::to_string(total));
    return texts;
}

void ExpectFirmwareInstalled(const SessionRig& rig) {
    std::string mismatch;
    EXPECT_GT(CompareFirmwareInFlash(*rig.instrument, mismatch), 1'600'000u) << mismatch;
    EXPECT_EQ(mismatch, "");
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    EXPECT_TRUE(rig.instrument->Module().finished);
    EXPECT_EQ(rig.instrument->Flash(0x300000, 1).at(0), 3);  // three FPGA configurations
}

struct FirmwarePlanCase {
    bool wow64;
    int maximum;
    const char* minutes;
};

class FirmwarePlan : public ::testing::TestWithParam<FirmwarePlanCase> {};

TEST_P(FirmwarePlan, EstimatesStepsAndLineSpeedFollowTheKindOfWindows) {
    const FirmwarePlanCase c = GetParam();
    SessionRig rig(OldFirmware());
    Tventana_brisca& w = *rig.window;
    w.isWow64 = [&] { return c.wow64; };
    Estimate estimate;
    NoteEstimate(rig, estimate);
    std::uint32_t fastestHostBaud = 0;
    rig.line.SetTap([&](VirtualLine::Direction, std::int64_t, std::uint8_t) {
        fastestHostBaud = std::max(fastestHostBaud, rig.line.HostBaud());
    });
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption;
    EXPECT_EQ(estimate.maximum, c.maximum);
    EXPECT_EQ(estimate.text, w.texts.TIEMPO_TOTAL1 + c.minutes + " min.\n" + w.texts.AVISOMEM3);
    EXPECT_EQ(estimate.stepTotal, 4);
    EXPECT_EQ(rig.stepTexts, StepTexts(w, 4));
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(w.resultCode, 0);
    // Under 64-bit Windows the line never leaves 115200.
    EXPECT_EQ(SpeedChangeAsked(*rig.instrument), !c.wow64);
    EXPECT_EQ(fastestHostBaud, c.wow64 ? 115200u : 500000u);
    EXPECT_EQ(w.PortSettings.BaudRate, 115200u);
    ExpectFirmwareInstalled(rig);
    // The plan page was not part of the plan: it holds what it held.
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, 5)[3], 103);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

INSTANTIATE_TEST_SUITE_P(Windows, FirmwarePlan,
                         ::testing::Values(FirmwarePlanCase{false, 1015, "16"},
                                           FirmwarePlanCase{true, 1355, "22"}),
                         [](const auto& info) { return info.param.wow64 ? "Wow64" : "Native"; });

TEST(ChannelPlansOfTypeZero, TheCurrentPlanIsNotAskedAboutAndStaysAsItIs) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.fpgaMinor = 3;  // something else to update
    scenario.planType = 0;
    scenario.planVersion = 112;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_FALSE(w.Check_planes.checked);
    EXPECT_FALSE(w.Check_borrar.checked);
    EXPECT_FALSE(w.plansSelected);
    EXPECT_EQ(w.stepTotal, 1);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument), std::vector<std::uint8_t>{});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ChannelPlansOfTypeZero, RefusedNewPlansLeaveTheStoredOnesAndNoStepForThem) {
    SessionRig rig(sim::scenarios::PlanTypeZeroOldPlan());
    Tventana_brisca& w = *rig.window;
    rig.answerPanel = [](const std::string&) { return -1; };
    Estimate estimate;
    NoteEstimate(rig, estimate);
    const std::vector<std::uint8_t> plans = rig.instrument->FlashSegment(0x1E);
    rig.Search();

    EXPECT_EQ(estimate.stepTotal, 1);
    EXPECT_EQ(estimate.maximum, 30);
    EXPECT_EQ(rig.panelsAnswered, 1);  // the plan question only: nothing to erase
    EXPECT_FALSE(w.Check_planes.checked);
    EXPECT_FALSE(w.Check_borrar.checked);
    EXPECT_FALSE(w.plansSelected);
    EXPECT_EQ(w.stepTotal, 0);
    EXPECT_EQ(rig.stepTexts, std::vector<std::string>{});
    // Nothing was planned any more and nothing failed.
    EXPECT_EQ(w.Image_accion.index, kPictureUpdated);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument), std::vector<std::uint8_t>{});
    EXPECT_FALSE(w.eraseRefused);
    EXPECT_EQ(w.resultCode, 0) << w.Label_info1.caption;
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

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 1);
    EXPECT_EQ(w.stepTotal, 4);
    EXPECT_EQ(rig.stepTexts, StepTexts(w, 4));
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    ExpectFirmwareInstalled(rig);
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
    Estimate estimate;
    NoteEstimate(rig, estimate);
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption;
    EXPECT_EQ(asked, (std::vector<std::string>{w.texts.AVISOPLAN1, w.texts.AVISOMEM1}));
    EXPECT_TRUE(w.Check_borrar.checked);
    // The erase is one more step; the estimate was made before and stays.
    EXPECT_EQ(estimate.stepTotal, 1);
    EXPECT_EQ(w.stepTotal, 2);
    EXPECT_EQ(w.ProgressBar_general.maximum, 30);
    EXPECT_EQ(rig.stepTexts, StepTexts(w, 2));
    EXPECT_EQ(SectorsErasedByLoader(*rig.instrument),
              (std::vector<std::uint8_t>{1, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44}));
    const auto table = payloads::ChannelPlan(0);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, table.size()), Bytes(table));
    EXPECT_EQ(w.resultCode, 0);
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

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption;
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_TRUE(w.Check_planes.checked);
    EXPECT_FALSE(w.Check_borrar.checked);
    EXPECT_EQ(w.plansExpectedVersion, 111);
    EXPECT_EQ(rig.stepTexts, StepTexts(w, 1));
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
    EXPECT_EQ(w.plansStoredVersion, 100);
    EXPECT_FALSE(w.Check_planes.checked);
    EXPECT_EQ(rig.instrument->FlashSegment(0x1E), plans);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

}  // namespace
}  // namespace kell::testing
