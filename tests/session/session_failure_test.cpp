// Whole sessions in which something goes wrong: the zone write that asks for a restart by hand,
// a failing step followed by others, and the instrument leaving the link.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/session/session_checks.h"
#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

// The first installation profile is refused at every one of its tries: code 5.
sim::Fault ProfilesRefused() {
    sim::Fault f;
    f.event = sim::Event::EepromWrite;
    f.action = sim::Action::Refuse;
    f.occurrence = 1;
    f.times = 5;
    return f;
}

sim::Fault Every(sim::Event event, sim::Action action) {
    sim::Fault f;
    f.event = event;
    f.action = action;
    f.occurrence = 0;
    f.times = 0;
    return f;
}

// Whether nothing was stored in any of the parameter areas the zone step writes.
bool NoConfigurationStored(const sim::Instrument& instrument) {
    return Erased(instrument.Eeprom('R', 8, 0x0040, 0x06C0)) &&
           Erased(instrument.Eeprom('W', 3, 0x0300, 0x0100)) &&
           Erased(instrument.Eeprom('Q', 9, 0x1000, 0x0300));
}

// What the window showed while it waited for the re-press, and right after it.
struct RePress {
    std::array<std::string, 3> waiting;
    bool buttonShown = false;
    int stage = -1;
    std::array<std::string, 3> after;
    int barAfter = -1;
    int waits = 0;
    std::int64_t firstWaitUs = -1;
    bool pressed = false;
};

// The user restarts the instrument by hand, takes 20 s over it and presses the button.
void RestartByHandAndPress(SessionRig& rig, RePress& seen) {
    Tventana_brisca& w = *rig.window;
    rig.onRePressWait = [&rig, &w, &seen] {
        ++seen.waits;
        if (seen.firstWaitUs < 0) {
            seen.firstWaitUs = rig.NowUs();
            seen.waiting = {w.controls.Label_info1.caption, w.controls.Label_info2.caption,
                            w.controls.Label_info3.caption};
            seen.buttonShown = w.controls.Button_buscar_puerto.visible;
            seen.stage = w.State().stage;
            rig.instrument->Restart();
        }
        if (!seen.pressed && rig.NowUs() - seen.firstWaitUs >= 20 * kSecondUs) {
            seen.pressed = true;
            w.Button_buscar_puertoClick();
        }
    };
    rig.onPump = [&w, &seen] {
        if (seen.pressed && w.State().stage != 2 && seen.barAfter < 0) {
            seen.after = {w.controls.Label_info1.caption, w.controls.Label_info2.caption,
                          w.controls.Label_info3.caption};
            seen.barAfter = w.controls.ProgressBar_general.position;
        }
    };
}

void ExpectWaitedForThePress(const Tventana_brisca& w, const RePress& seen) {
    EXPECT_EQ(seen.waiting,
              (std::array<std::string, 3>{w.texts.PASO4_ERROR5_L1, w.texts.PASO4_ERROR5_L2,
                                          w.texts.PASO4_ERROR5_L3}));
    EXPECT_TRUE(seen.buttonShown);
    EXPECT_EQ(seen.stage, 2);
    EXPECT_GT(seen.waits, 1);
    EXPECT_EQ(seen.after, (std::array<std::string, 3>{w.texts.PASO4_L1, w.texts.PASO4_L2,
                                                      w.texts.PASO4_L3 + ": 1/4"}));
    EXPECT_EQ(seen.barAfter, 0);
}

TEST(ZoneRePress, TheSameInstrumentGetsTheZoneWrittenAgainAndTheRestOfTheUpdate) {
    sim::Scenario scenario = OldFirmwareOnly();
    scenario.faults = {ProfilesRefused()};
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    RePress seen;
    RestartByHandAndPress(rig, seen);
    rig.Search();

    ExpectWaitedForThePress(w, seen);
    EXPECT_EQ(w.Identification().identityAfterRestart, w.Identification().identityAtConnect);
    // The retry went through and the session went on to its end.
    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated) << w.controls.Label_info1.caption;
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO5_L1);
    EXPECT_EQ(w.State().resultCode, 5);  // kept, though the retry succeeded
    EXPECT_EQ(rig.stepTexts.back(), w.texts.PASO4_L3 + ": 4/4");
    // The installation profiles went in on the retry.
    EXPECT_FALSE(Erased(rig.instrument->Eeprom('R', 8, 0x0300, 0x0300)));
    ExpectFirmwareInstalled(*rig.instrument);
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(ZoneRePress, AnotherInstrumentAttachedMeanwhileStopsTheSessionWithCodeFive) {
    sim::Scenario scenario = OldFirmwareOnly();
    scenario.faults = {ProfilesRefused()};
    scenario.identityAfterRestart =
        std::vector<std::uint8_t>{0x4B, 0x45, 0x4C, 0x00, 0x65, 0x43, 0x21};
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    RePress seen;
    RestartByHandAndPress(rig, seen);
    const std::vector<std::uint8_t> fpgaBefore = rig.instrument->FlashSegment(0x30);
    rig.Search();

    ExpectWaitedForThePress(w, seen);
    EXPECT_NE(w.Identification().identityAfterRestart, w.Identification().identityAtConnect);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 5");
    EXPECT_EQ(w.controls.Label_info2.caption, w.texts.P6_E4_L2);
    // Nothing at all was written to the other instrument.
    EXPECT_EQ(rig.stepTexts, std::vector<std::string>{w.texts.PASO4_L3 + ": 1/4"});
    EXPECT_TRUE(NoConfigurationStored(*rig.instrument));
    EXPECT_EQ(rig.instrument->FlashSegment(0x30), fpgaBefore);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "1.89.00000");
    EXPECT_FALSE(rig.instrument->Module().started);
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(FirstFailure, TheFirmwareCodeStandsThoughTheModuleWouldFailToo) {
    SessionRig rig(OldFirmwareOnly());
    Tventana_brisca& w = *rig.window;
    // From the main firmware step on, no block is answered and the module would not start.
    bool armed = false;
    rig.onPump = [&] {
        if (!armed && w.State().stepIndex == 3) {
            armed = true;
            rig.instrument->AddFault(Every(sim::Event::Block, sim::Action::NoAnswer));
            rig.instrument->AddFault(Every(sim::Event::ModuleStart, sim::Action::NoAnswer));
        }
    };
    rig.Search();

    ASSERT_TRUE(armed);
    EXPECT_EQ(w.State().resultCode, 20);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 20");
    // The session stopped at the failure: the module step was skipped, nothing was committed.
    EXPECT_EQ(rig.stepTexts.back(), w.texts.PASO4_L3 + ": 3/4");
    EXPECT_FALSE(rig.instrument->Module().started);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "1.89.00000");
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
}

TEST(LeavingTheLink, ALeaveBetweenTwoStepsIsDrainedAndTheSessionGoesOn) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 100;  // the channel plans, then the FPGA set
    scenario.fpgaMinor = 3;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    // The instrument leaves 3 s into the quiet that follows the speed change: between the
    // plans and the FPGA set, while the PC takes its 1 s and 5 s pauses.
    bool left = false;
    int stepWhenLeft = -1;
    Scheduler::EventId leave = 0;
    rig.line.SetTap([&](VirtualLine::Direction, std::int64_t, std::uint8_t) {
        if (left || rig.line.HostBaud() != 500000)
            return;
        rig.clock.Cancel(leave);
        leave = rig.clock.After(3 * kSecondUs, [&] {
            left = true;
            stepWhenLeft = w.State().stepIndex;
            rig.instrument->LeaveLink();
        });
    });
    const std::vector<std::uint8_t> fpgaBefore = rig.instrument->FlashSegment(0x30);
    rig.Search();

    ASSERT_TRUE(left);
    EXPECT_EQ(stepWhenLeft, 1);
    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated)
        << w.controls.Label_info1.caption << w.State().resultCode;
    EXPECT_EQ(w.State().resultCode, 0);
    EXPECT_EQ(rig.stepTexts, StepTexts(w.texts, 2));
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, 5)[3], 103);
    EXPECT_NE(rig.instrument->FlashSegment(0x30), fpgaBefore);
    EXPECT_EQ(rig.instrument->Flash(0x300000 + 2 + 8, 2), (std::vector<std::uint8_t>{4, 3}));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(LeavingTheLink, AnInstrumentThatLeavesForGoodBeforeTheClosingIsNoSuccess) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.fpgaMinor = 3;  // the FPGA set alone
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    // Once the FPGA set is in, every probe is answered by the end of the link.
    bool armed = false;
    rig.onPump = [&] {
        if (!armed && w.State().stepIndex == 1) {
            armed = true;
            rig.instrument->AddFault(Every(sim::Event::Probe, sim::Action::LeaveLink));
        }
    };
    rig.Search();

    ASSERT_TRUE(armed);
    EXPECT_EQ(rig.instrument->Flash(0x300000 + 2 + 8, 2), (std::vector<std::uint8_t>{4, 3}));
    // The reconnection for the closing records failed as the user is told...
    ASSERT_FALSE(rig.notifier.messages.empty());
    EXPECT_EQ(rig.notifier.messages.back().text, "USB error");
    EXPECT_EQ(rig.notifier.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
    // ... and the records were not written: the update did not end well.
    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.State().resultCode, 26);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 26");
    EXPECT_TRUE(Erased(rig.instrument->Eeprom('Q', 9, 0x1000, 0x0300)));
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 115200u);
}

}  // namespace
}  // namespace kell::testing
