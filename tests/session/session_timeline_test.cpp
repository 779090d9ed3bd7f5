// The time of whole sessions: the estimate the user is given, the step count, the line speed
// and the fixed pauses, which show as silences on the line between the steps. Each pause must
// last at least its length and not much more (a reconnection adds its wake-up pulses and
// settling, 740 ms).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/session/line_silences.h"
#include "tests/session/session_checks.h"
#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

struct FirmwarePlanCase {
    bool wow64;
    int maximum;
    const char* minutes;
};

class FirmwarePlan : public ::testing::TestWithParam<FirmwarePlanCase> {};

// The main firmware plan: zone, FPGA set, main firmware, module.
TEST_P(FirmwarePlan, EstimateStepsLineSpeedAndPausesFollowTheKindOfWindows) {
    const FirmwarePlanCase c = GetParam();
    SessionRig rig(OldFirmwareOnly());
    Tventana_brisca& w = *rig.window;
    w.isWow64 = [&] { return c.wow64; };
    // The pauses are the session's own, up to its last byte: without the check afterwards.
    w.checkVersionsAfterUpdate = false;
    SilenceLog log(rig);
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(rig.estimate.maximum, c.maximum);
    EXPECT_EQ(rig.estimate.text, w.texts.TIEMPO_TOTAL1 + c.minutes + " min.\n" + w.texts.AVISOMEM3);
    EXPECT_EQ(rig.estimate.stepTotal, 4);
    EXPECT_EQ(rig.stepTexts, StepTexts(w.texts, 4));
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(w.State().resultCode, 0);
    // Under 64-bit Windows the line never leaves 115200.
    EXPECT_EQ(SpeedChangeAsked(*rig.instrument), !c.wow64);
    EXPECT_EQ(log.fastestBaud, c.wow64 ? 115200u : 500000u);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    ExpectFirmwareInstalled(*rig.instrument);
    // The plan page was not part of the plan: it holds what it held.
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, 5)[3], 103);

    if (!c.wow64) {
        const Silence speed = log.AfterSpeedChange(500000);
        EXPECT_EQ(speed.stepAfter, 1);  // the zone step follows it
        ExpectPause(speed.Length(), 1 * kSecondUs, "after the speed change");
    }
    // The zone's last write keeps its own pause, as long as the one after the write before it;
    // the 5 s before the FPGA set follow.
    const Silence beforeFpga = log.Longest(1, 1);
    const Silence zoneOwn = log.Longest(1, 1, 0, beforeFpga.fromUs);
    ExpectPause(beforeFpga.Length() - zoneOwn.Length(), 5 * kSecondUs, "before the FPGA set");
    // The main firmware follows the FPGA set without a reconnection.
    EXPECT_LT(log.Longest(2, 2).Length(), kSecondUs);
    EXPECT_LT(log.Longest(2, 3).Length(), kSecondUs);
    // The module is the last step: no 17 s, no reconnection; the closing's pauses follow.
    ExpectPause(log.Longest(4, 4).Length(), 10 * kSecondUs + 500'000, "finish bytes and closing");
    ExpectPause(log.silences.back().Length(), 500'000, "finish bytes at the end");
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

INSTANTIATE_TEST_SUITE_P(Windows, FirmwarePlan,
                         ::testing::Values(FirmwarePlanCase{false, 1015, "16"},
                                           FirmwarePlanCase{true, 1355, "22"}),
                         [](const auto& info) { return info.param.wow64 ? "Wow64" : "Native"; });

// The keypad, the channel plans (type 1, no question) and the FPGA set: the pauses after the
// keypad and after the plans, the speed change's, and the finish bytes' before the closing.
TEST(SessionPauses, AfterTheKeypadThePlansTheSpeedChangeAndBeforeTheClosing) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 100;
    scenario.fpgaMinor = 3;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    w.checkVersionsAfterUpdate = false;  // the pauses up to the session's own last byte
    // Identification never asks for the keypad; a service build ticks its mark by hand once
    // the instrument was read.
    rig.onPump = [&] {
        if (!w.State().sessionRunning && !w.Identification().identityAtConnect.empty())
            w.controls.Check_teclado.checked = true;
    };
    SilenceLog log(rig);
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated)
        << w.controls.Label_info1.caption << w.State().resultCode;
    ASSERT_EQ(w.State().stepTotal, 3);
    EXPECT_EQ(rig.instrument->Keypad().endCode, 18);

    ExpectPause(log.Longest(1, 1).Length(), 9 * kSecondUs, "after the keypad, to the reconnection");
    const Silence speed = log.AfterSpeedChange(500000);
    ExpectPause(log.Longest(2, 2, 0, speed.fromUs).Length(), 5 * kSecondUs,
                "after the plans, to the reconnection");
    // Without a zone step the 1 s after the speed change runs into the 5 s before the FPGA.
    ExpectPause(speed.Length(), 6 * kSecondUs, "after the speed change and before the FPGA set");
    // The FPGA set is the last step: no reconnection after it. The finish bytes' 0.5 s and the
    // 10 s come before the closing.
    ExpectPause(log.Longest(3, 3).Length(), 10 * kSecondUs + 500'000, "finish bytes and closing");
    // The end sends the finish bytes again and waits 0.5 s before it ends the link.
    ASSERT_FALSE(log.silences.empty());
    ExpectPause(log.silences.back().Length(), 500'000, "finish bytes at the end");
    EXPECT_LE(log.silences.back().Length(), 600'000);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

}  // namespace
}  // namespace kell::testing
