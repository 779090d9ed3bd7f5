// Whole sessions, from the first press of the search button to the outcome, against the
// simulated instrument on virtual time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payloads/payloads.h"
#include "tests/session/session_checks.h"
#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

TEST(UpdateSession, FullUpdateLeavesTheInstrumentHoldingWhatTheProgramCarries) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    Tventana_brisca& w = *rig.window;
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated)
        << w.controls.Label_info1.caption << " / " << w.State().resultCode;
    EXPECT_EQ(w.State().resultCode, 0);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO5_L1);
    // The meter, asked again once back from its restart, reports the new versions.
    EXPECT_EQ(w.controls.Label_info3.caption, w.texts.PASO5_VERIFICADO);
    EXPECT_FALSE(w.State().sessionRunning);
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);

    // The time question told the user the estimate (25 + 300 + 50 + 640 s).
    ASSERT_FALSE(rig.notifier.messages.empty());
    EXPECT_NE(rig.notifier.messages.front().text.find("16 min.\n"), std::string::npos);

    // Every byte of the embedded firmware is in the instrument's flash.
    std::string mismatch;
    EXPECT_GT(CompareFirmwareInFlash(*rig.instrument, mismatch), 1'600'000u) << mismatch;
    EXPECT_EQ(mismatch, "");
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    auto plans = payloads::ChannelPlan(1);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, plans.size()), Bytes(plans));
    // The module took both images; the FPGA set reports 3.4.
    EXPECT_TRUE(rig.instrument->Module().finished);
    EXPECT_EQ(rig.instrument->Module().application, Bytes(payloads::Mpeg4Application()));
    EXPECT_EQ(rig.instrument->Module().secondImage, Bytes(payloads::Mpeg4SecondImage()));
    auto directory = rig.instrument->Flash(0x300000, 16);
    EXPECT_EQ(directory[0], 3);  // three configurations
    EXPECT_EQ(directory[2 + 9], 3);
    EXPECT_EQ(directory[2 + 8], 4);

    // A second search finds nothing left to do.
    rig.SearchAgain();
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotUpdated);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO7_L1);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, CancelOnTheTimeQuestionRunsNoStep) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    rig.notifier.answers.push_back(MessageAnswer::Cancel);
    Tventana_brisca& w = *rig.window;
    const std::int64_t start = rig.NowUs();
    rig.Search();

    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 0");
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "1.89.00000");
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    // No step, no pause: the search, the question and the end only.
    EXPECT_LT((rig.NowUs() - start) / 1'000'000, 10);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, RefusedEraseEndsWithItsTextsAfterTheSpeedChangeAndTheFinish) {
    SessionRig rig(sim::scenarios::PlanTypeZeroOldPlan());
    // OK to the new plans, Cancel to the erase they bring.
    rig.answerPanel = [&](const std::string& line1) {
        return line1 == rig.window->texts.AVISOMEM1 ? -1 : 1;
    };
    Tventana_brisca& w = *rig.window;
    rig.Search();

    EXPECT_EQ(rig.panelsAnswered, 2);
    EXPECT_TRUE(w.State().eraseRefused);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E7_L1);
    EXPECT_EQ(w.controls.Label_info3.caption, w.texts.P6_E7_L3);
    // The line-speed change still happened, and the plan was not touched.
    EXPECT_TRUE(SpeedChangeAsked(*rig.instrument))
        << w.State().resultCode << rig.instrument->Report(30);
    auto header = rig.instrument->Flash(0x1E0000, 5);
    EXPECT_EQ(header[3], 111);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, PlansAloneAreOneStepWithoutAQuestion) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 100;  // plan type 1 with an old plan
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    rig.Search();

    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(w.State().stepTotal, 1);
    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.State().resultCode;
    auto header = rig.instrument->Flash(0x1E0000, 5);
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.end()),
              std::vector<std::uint8_t>(payloads::ChannelPlan(1).begin(),
                                        payloads::ChannelPlan(1).begin() + 5));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, AnInstrumentInItsBootstrapModeIsUpdatedThroughTheLoader) {
    SessionRig rig(sim::scenarios::Bootstrap());
    Tventana_brisca& w = *rig.window;
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated)
        << w.controls.Label_info1.caption << " / " << w.State().resultCode
        << rig.instrument->Report(40);
    EXPECT_EQ(w.State().resultCode, 0);
    // The loader went in through the processor's bootstrap mode first.
    EXPECT_EQ(rig.instrument->Loader().bootstrapBlock1.size(), 32u);
    EXPECT_EQ(rig.instrument->Loader().bootstrapBlock3.size(), 968u);
    EXPECT_EQ(rig.stepTexts.back(), w.texts.PASO4_L3 + ": 4/4");
    std::string mismatch;
    EXPECT_GT(CompareFirmwareInFlash(*rig.instrument, mismatch), 1'600'000u) << mismatch;
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    EXPECT_TRUE(rig.instrument->Module().finished);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);

    // It came back running its new firmware, with nothing left to do.
    rig.SearchAgain();
    EXPECT_EQ(rig.instrument->CurrentMode(), sim::Mode::Running);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotUpdated);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO7_L1);
}

}  // namespace
}  // namespace kell::testing
