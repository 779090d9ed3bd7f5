#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

// The window connected to an instrument on port 1 with the connect toggle alone, as the
// updaters of a session do it.
struct Connection : ::testing::Test {
    SearchRig rig;
    ScriptedInstrument* instrument = nullptr;

    Tventana_brisca& Connect(IdentityFacts facts = scenarios::UpToDate()) {
        instrument = &rig.AddInstrument(1, std::move(facts));
        Tventana_brisca& w = rig.Window();
        w.Boton_ConectarClick();  // on port 1, the window's port from construction
        return w;
    }
};

TEST_F(Connection, AListeningInstrumentIsConnectedIdentifiedAndWatched) {
    Tventana_brisca& w = Connect();
    EXPECT_TRUE(w.Connection().connected);
    EXPECT_TRUE(w.monitorPSerie.IsOpen());
    EXPECT_TRUE(w.controls.Timer_desconexion.enabled);
    EXPECT_FALSE(w.Connection().bootstrapReply || w.Connection().busyReply);
    EXPECT_EQ(instrument->identification.probes, 1);
    EXPECT_EQ(instrument->rtsPulses, 16);
    EXPECT_EQ(instrument->identification.endsOfLink, 0);
    EXPECT_TRUE(w.Identification().modelKnown);  // the identification ran
    EXPECT_EQ(instrument->received.front(), 0x00);
}

TEST_F(Connection, AnInstrumentThatWakesLateIsFoundOnALaterAttempt) {
    IdentityFacts late;
    late.unansweredProbes = 3;
    Tventana_brisca& w = Connect(late);
    EXPECT_TRUE(w.Connection().connected);
    EXPECT_EQ(instrument->identification.probes, 4);
    EXPECT_EQ(instrument->identification.endsOfLink, 3);
}

TEST_F(Connection, TheBootstrapModeStartsTheLoaderBeforeTheLinkCountsAsUp) {
    int started = 0;
    rig.Window().startBootstrapLoader = [&] {
        EXPECT_FALSE(rig.Window().Connection().connected);
        EXPECT_TRUE(rig.Window().Connection().bootstrapReply);
        ++started;
        // The loader answers from now on, with an FPGA set that would be marked if asked for.
        instrument->identification.facts.mode = IdentityFacts::Mode::Running;
        instrument->identification.Poke(0x30, 0x000A, {3, 3});
        return true;
    };
    Tventana_brisca& w = Connect(scenarios::Bootstrap());
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(w.Connection().connected && w.Connection().bootstrapReply);
    EXPECT_FALSE(w.controls.Check_fpga.checked);
}

TEST_F(Connection, WhileConnectedTheToggleEndsTheLink) {
    Tventana_brisca& w = Connect();
    const std::size_t before = instrument->received.size();
    w.Boton_ConectarClick();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
    EXPECT_FALSE(w.controls.Timer_desconexion.enabled);
    EXPECT_EQ(std::vector<std::uint8_t>(instrument->received.begin() + before,
                                        instrument->received.end()),
              std::vector<std::uint8_t>{0x0A});
}

TEST_F(Connection, APortThatDoesNotOpenIsLeftClosed) {
    rig.AddRefusedPort(4);
    Tventana_brisca& w = rig.Window();
    w.controls.Com_extended.text = "COM4";
    w.Com_extended_select();
    w.Boton_ConectarClick();
    EXPECT_FALSE(w.Connection().connected || w.monitorPSerie.IsOpen());
    EXPECT_TRUE(w.Connection().portPermissionRefused);
}

TEST_F(Connection, ClosingTheWindowDuringTheProbeReturnsAtOnce) {
    instrument = &rig.AddInstrument(1);
    Tventana_brisca& w = rig.Window();
    rig.onPump = [&] { w.FormClose(); };
    w.Boton_ConectarClick();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_TRUE(w.monitorPSerie.IsOpen());  // left as it was
    EXPECT_EQ(instrument->identification.probes, 0);
    EXPECT_EQ(instrument->rtsPulses, 0);
}

TEST_F(Connection, TheWatchEndsTheLinkOnTheInstruments0x0AAndDropsOtherBytes) {
    Tventana_brisca& w = Connect();
    rig.RunDisconnectionWatch();
    const std::size_t before = instrument->received.size();
    instrument->Send({0x41});
    rig.clock.AdvanceBy(1000);
    w.Mira_desconexion();
    EXPECT_TRUE(w.Connection().connected && w.controls.Timer_desconexion.enabled);
    EXPECT_EQ(w.monitorPSerie.Drain(), 0u);  // the 0x41 was taken and dropped

    instrument->identification.LeaveLink();
    rig.clock.AdvanceBy(1000);
    w.Mira_desconexion();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.controls.Timer_desconexion.enabled);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
    EXPECT_EQ(std::vector<std::uint8_t>(instrument->received.begin() + before,
                                        instrument->received.end()),
              std::vector<std::uint8_t>{0x0A});
}

TEST_F(Connection, ReconnectBringsTheLinkUpWithTheProbeAlone) {
    Tventana_brisca& w = Connect();
    const std::size_t before = instrument->received.size();
    instrument->identification.facts.unansweredProbes =
        instrument->identification.probes + 2;  // restarting
    w.Reconnect();
    EXPECT_TRUE(w.Connection().connected);
    EXPECT_FALSE(w.controls.Timer_desconexion.enabled);
    const std::vector<std::uint8_t> sent(instrument->received.begin() + before,
                                         instrument->received.end());
    // The old link ended, two silent attempts each ended, the third answered; nothing else.
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x00}));
    EXPECT_TRUE(rig.notifier.messages.empty());
}

TEST_F(Connection, ReconnectCountsOnlyTheListeningAnswer) {
    Tventana_brisca& w = Connect(scenarios::Bootstrap());
    w.Reconnect();
    EXPECT_FALSE(w.Connection().connected);
}

TEST_F(Connection, AFailedReconnectBeepsAndSaysUsbError) {
    Tventana_brisca& w = Connect();
    instrument->identification.facts.mode = IdentityFacts::Mode::Silent;
    const int probesBefore = instrument->identification.probes;
    const std::int64_t start = rig.clock.NowUs();
    w.Reconnect();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
    EXPECT_EQ(instrument->identification.probes - probesBefore, 10);
    // Each attempt: 640 ms of pulses, 100 ms, 15 polls of at least 10 ms, 100 ms.
    EXPECT_GT(rig.SecondsSince(start), 10 * 0.99);
    EXPECT_LT(rig.SecondsSince(start), 10 * 1.1);
    ASSERT_EQ(rig.notifier.beeps.size(), 1u);
    EXPECT_EQ(rig.notifier.beeps[0], std::make_pair(1000, 500));
    ASSERT_EQ(rig.notifier.messages.size(), 1u);
    EXPECT_EQ(rig.notifier.messages[0].text, "USB error");
}

// A USB instrument that restarted is off the bus for a while, then back (maybe under another
// node): the reconnection opens the port anew at each attempt instead of giving up at once.
TEST_F(Connection, AReconnectWaitsForAPortThatIsNotThereYet) {
    Tventana_brisca& w = Connect();
    rig.ports.Remove(1);
    const std::int64_t start = rig.clock.NowUs();
    rig.onPump = [&] {
        if (rig.SecondsSince(start) > 3.5)
            rig.ports.Set(1, rig.PathOf(1));
    };
    w.Reconnect();
    EXPECT_TRUE(w.Connection().connected);
    EXPECT_GT(rig.SecondsSince(start), 3.5);
    EXPECT_TRUE(rig.notifier.messages.empty());
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST_F(Connection, APortThatNeverComesBackCostsTheSameTenAttempts) {
    Tventana_brisca& w = Connect();
    rig.ports.Remove(1);
    const std::int64_t start = rig.clock.NowUs();
    w.Reconnect();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
    EXPECT_GT(rig.SecondsSince(start), 10 * 0.99);
    EXPECT_LT(rig.SecondsSince(start), 10 * 1.1);
    ASSERT_EQ(rig.notifier.messages.size(), 1u);
    EXPECT_EQ(rig.notifier.messages[0].text, "USB error");
}

TEST_F(Connection, TheSessionViewReachesTheConnectionHandlers) {
    Tventana_brisca& w = Connect();
    SessionContext session = w.Session();
    session.SetPortBaud(500000);
    EXPECT_EQ(w.Connection().PortSettings.BaudRate, 500000u);
    EXPECT_TRUE(w.monitorPSerie.IsOpen());
    session.SetPortBaud(115200);    // the speed the reconnection probes at
    session.Boton_ConectarClick();  // connected: ends the link
    EXPECT_FALSE(w.Connection().connected);
    session.Reconnect();
    EXPECT_TRUE(w.Connection().connected);
}

struct LineSpeed : Connection {};

TEST_F(LineSpeed, TheInstrumentIsToldItsSpeedCodeByBufferAndCallFrame) {
    Tventana_brisca& w = Connect();
    const std::pair<int, std::uint8_t> speeds[] = {{500000, 1}, {250000, 3}, {115200, 8}};
    for (auto [speed, code] : speeds) {
        instrument->identification.bufferFrames.clear();
        instrument->identification.calls.clear();
        const std::int64_t start = rig.clock.NowUs();
        EXPECT_TRUE(w.SetInstrumentBaud(speed));
        EXPECT_GE(rig.SecondsSince(start), 0.5);  // the loader takes the buffer in first
        rig.clock.AdvanceBy(10'000);              // the call frame reaches the instrument
        ASSERT_EQ(instrument->identification.bufferFrames.size(), 1u);
        const auto& frame = instrument->identification.bufferFrames[0];
        EXPECT_EQ(frame[4], code);
        EXPECT_TRUE(std::all_of(frame.begin() + 5, frame.end() - 1, [](auto b) { return !b; }));
        ASSERT_EQ(instrument->identification.calls.size(), 1u);
        EXPECT_EQ(instrument->identification.calls[0].selector, 0);
        EXPECT_EQ(instrument->identification.calls[0].word, 0xFEB4);
        EXPECT_EQ(instrument->identification.calls[0].data,
                  (std::vector<std::uint8_t>{code, 0x00}));
    }
    EXPECT_EQ(w.State().resultCode, 0);
}

TEST_F(LineSpeed, AnUnansweredBufferFrameRecordsCode8AndSendsNoCall) {
    Tventana_brisca& w = Connect();
    instrument->identification.facts.mode = IdentityFacts::Mode::Silent;
    rig.LineOf(1)->Attach(nullptr);  // nothing takes the frames any more
    EXPECT_TRUE(w.SetInstrumentBaud(500000));
    EXPECT_EQ(w.State().resultCode, 8);
    EXPECT_TRUE(instrument->identification.calls.empty());
    // The first failure of a session is the one reported.
    w.Session().resultCode = 20;  // an earlier step failed
    w.SetInstrumentBaud(500000);
    EXPECT_EQ(w.State().resultCode, 20);
}

TEST_F(LineSpeed, ASpeedWithoutACodeIsNotSent) {
    Tventana_brisca& w = Connect();
    EXPECT_TRUE(w.SetInstrumentBaud(9600));
    EXPECT_EQ(w.State().resultCode, 8);
    EXPECT_TRUE(instrument->identification.bufferFrames.empty() &&
                instrument->identification.calls.empty());
}

}  // namespace
}  // namespace kell::testing
