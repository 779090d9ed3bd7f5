// How an update session ends when the instrument is lost on the way.
#include <gtest/gtest.h>

#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

// The reconnection after the plans step fails while the instrument still restarts; the line-speed
// change then opens the port again. The session fails at its next step, and must not leave the
// port open behind it: the window would hold it while it waits for the next press.
TEST(UpdateEnd, ALinkLostOnTheWayLeavesThePortClosed) {
    SearchRig rig;
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 102;  // old plans
    scenario.fpgaMinor = 3;      // an old FPGA set
    scenario.faults.push_back({sim::Event::Restart, sim::Action::Delay, 1, 1, {}, 60'000});
    rig.AddSimulated(1, scenario);
    Tventana_brisca& w = rig.Window();
    rig.Search();

    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_NE(w.State().resultCode, 0);
    EXPECT_EQ(w.controls.Label_info1.caption,
              w.texts.P6_E4_L1 + " " + std::to_string(w.State().resultCode));
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
    EXPECT_FALSE(w.State().sessionRunning);
}

// The restart after the plans were installed takes so long that the line-speed command after
// them goes unanswered (code 8), yet the instrument is back for the closing records. The session
// did record a failure, so it must not show the update as done.
TEST(UpdateEnd, AFailedLineSpeedCommandIsNotShownAsSuccess) {
    SearchRig rig;
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 102;  // old plans, the one step
    scenario.faults.push_back({sim::Event::Restart, sim::Action::Delay, 1, 1, {}, 15'000});
    sim::Instrument& instrument = rig.AddSimulated(1, scenario);
    Tventana_brisca& w = rig.Window();
    rig.Search();

    EXPECT_EQ(w.State().resultCode, 8);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 8");
    // The closing records were written all the same.
    EXPECT_EQ(instrument.Eeprom('Q', 9, 0x1000, 1)[0], 0xA0);
}

// The erase step fails (its blank frame goes unanswered); it has no code of its own. The
// line-speed command must not follow it: its own failure would be shown as the session's.
TEST(UpdateEnd, NoLineSpeedCommandFollowsAFailedStep) {
    SearchRig rig;
    sim::Scenario scenario = sim::scenarios::PlanTypeZeroOldPlan();  // asks to erase first
    scenario.faults.push_back({sim::Event::BufferFrame, sim::Action::NoAnswer, 1, 0, {}, 0});
    sim::Instrument& instrument = rig.AddSimulated(1, scenario);
    Tventana_brisca& w = rig.Window();
    rig.onPump = [&w] {
        if (w.controls.Panel_atencion.visible)
            w.Button_atencion_okClick();
    };
    rig.Search();

    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.State().resultCode, 0);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 0");
    for (const sim::CallRecord& call : instrument.Calls())
        EXPECT_FALSE(call.selector == 0 && call.word == 0xFEB4) << "a line-speed command";
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    // The finish went out at the speed the instrument has: it restarted.
    EXPECT_GE(instrument.Restarts(), 1);
}

// The instrument ends the keypad procedure with its silent failure code, which records no code
// of its own. The session stops there; the failure it shows must name the keypad, not "0".
TEST(UpdateEnd, AKeypadThatFailsSilentlyIsShownAsTheKeypadsFailure) {
    SearchRig rig;
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.keypadRequests = {3, 14, 16, 17, 21};
    rig.AddSimulated(1, scenario);
    Tventana_brisca& w = rig.Window();
    // Nothing the instrument reports marks the keypad; it is marked before the gate looks.
    rig.onPump = [&w] {
        if (w.Connection().connected && !w.State().sessionRunning && w.State().stage == 1)
            w.controls.Check_teclado.checked = true;
    };
    rig.Search();

    EXPECT_EQ(w.State().stepTotal, 1);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.State().resultCode, 1);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 1");
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
}

}  // namespace
}  // namespace kell::testing
