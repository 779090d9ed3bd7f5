// An instrument that drops off the bus at every restart and comes back as another device node,
// as a USB serial device does on Linux while the program still holds its old node: the port
// number follows the device, and every reconnection finds it under its new name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/session/session_checks.h"
#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

// Moves the rig's line to /dev/ttyACM<n+1> each time the instrument comes back; port 1 of the
// catalog is absent while it is off the bus.
void Reenumerate(SessionRig& rig, std::set<std::string>& nodes) {
    rig.line.reenumerates = true;
    nodes.insert(SessionRig::kPath);
    rig.line.onBusChange = [&rig, &nodes, current = std::string(SessionRig::kPath),
                            next = 1](bool onBus) mutable {
        if (!onBus) {
            rig.lines.Remove(current);
            rig.ports.Remove(1);
            return;
        }
        current = "/dev/ttyACM" + std::to_string(next++);
        nodes.insert(current);
        rig.lines.Add(current, &rig.line);
        rig.ports.Set(1, current);
    };
}

bool UsbErrorShown(const RecordingNotifier& notifier) {
    for (const auto& m : notifier.messages) {
        if (m.text == "USB error")
            return true;
    }
    return false;
}

TEST(Reenumeration, AFullUpdateFollowsTheInstrumentToEachNewNode) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    std::set<std::string> nodes;
    Reenumerate(rig, nodes);
    Tventana_brisca& w = *rig.window;
    // The keypad too (identification never asks for it; a service build ticks it by hand), so
    // that the keypad's restart is followed as well as the module's.
    rig.onPump = [&] {
        if (!w.State().sessionRunning && !w.Identification().identityAtConnect.empty())
            w.controls.Check_teclado.checked = true;
    };
    rig.Search();

    ASSERT_EQ(w.controls.Image_accion.index, kPictureUpdated)
        << w.controls.Label_info1.caption << " / " << w.State().resultCode << "\n"
        << rig.instrument->Report(40);
    EXPECT_EQ(w.State().resultCode, 0);
    EXPECT_FALSE(UsbErrorShown(rig.notifier));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
    ExpectFirmwareInstalled(*rig.instrument);
    EXPECT_EQ(rig.instrument->Keypad().endCode, 18);
    // The keypad's and the module's restarts each moved it to a node of its own; the finish
    // restarts it once more as the session ends, and the check afterwards finds it on the node
    // it came back on.
    EXPECT_EQ(rig.instrument->Restarts(), 3);
    EXPECT_EQ(nodes, (std::set<std::string>{"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2",
                                            "/dev/ttyACM3"}));
    ASSERT_TRUE(w.versionCheck);
    EXPECT_TRUE(w.versionCheck->Verified());
    EXPECT_FALSE(rig.serial.IsOpen());
}

// The instrument is connected, then restarts as it does after the finish bytes.
struct RestartingInstrument : ::testing::Test {
    RestartingInstrument() : rig(sim::scenarios::UpToDate()) {
        Reenumerate(rig, nodes);
        rig.window->Boton_ConectarClick();
    }

    void RestartTakingLonger(std::uint32_t extraMs) {
        sim::Fault slow;
        slow.event = sim::Event::Restart;
        slow.action = sim::Action::Delay;
        slow.delayMs = extraMs;
        rig.instrument->AddFault(slow);
        rig.instrument->Restart();
    }

    SessionRig rig;
    std::set<std::string> nodes;
};

TEST_F(RestartingInstrument, TheCheckAfterTheSessionWaitsAsTheClosingDoes) {
    ASSERT_TRUE(rig.window->Connection().connected);
    // Back 15 s late (17 s in all): after the closing's 10 s pause, within its attempts.
    RestartTakingLonger(15'000);
    const std::int64_t start = rig.NowUs();
    EXPECT_TRUE(rig.window->ReconnectAfterFinish());
    EXPECT_TRUE(rig.window->Connection().connected);
    EXPECT_GE(rig.NowUs() - start, 17 * kSecondUs);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_FALSE(UsbErrorShown(rig.notifier));
    EXPECT_EQ(rig.serial.Line(), &rig.line);
    EXPECT_EQ(nodes.size(), 2u);
}

TEST_F(RestartingInstrument, AnInstrumentThatStaysAwayIsReportedQuietlyWithinTheBound) {
    ASSERT_TRUE(rig.window->Connection().connected);
    RestartTakingLonger(60'000);
    const std::int64_t start = rig.NowUs();
    EXPECT_FALSE(rig.window->ReconnectAfterFinish());
    const std::int64_t waited = rig.NowUs() - start;
    EXPECT_FALSE(rig.window->Connection().connected);
    EXPECT_FALSE(rig.serial.IsOpen());
    // The pause, then ten attempts of about a second each.
    EXPECT_GE(waited, 19 * kSecondUs);
    EXPECT_LE(waited, 22 * kSecondUs);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_TRUE(rig.notifier.messages.empty());
}

TEST_F(RestartingInstrument, TheReconnectionOfTheSessionStillTellsAFailure) {
    ASSERT_TRUE(rig.window->Connection().connected);
    RestartTakingLonger(60'000);
    rig.window->Reconnect();
    EXPECT_FALSE(rig.window->Connection().connected);
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
    EXPECT_TRUE(UsbErrorShown(rig.notifier));
}

}  // namespace
}  // namespace kell::testing
