#include <gtest/gtest.h>

#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

TEST(SimRestart, FinishBytesMakeItSilentForTheRestartTime) {
    Scenario s;
    s.timing.restartUs = 3'000'000;
    s.identityAfterRestart = Bytes{9, 9, 9, 9, 9, 9, 9};
    VirtualRig rig(s);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    rig.Send({0x0F, 0x00});
    rig.Wait(10);
    EXPECT_TRUE(rig.instrument->Restarting());
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 2500).empty());
    rig.Wait(600);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    Bytes identity = rig.Exchange(testing::ReadWords(0x00, 0x6000, 16), 18);
    EXPECT_EQ(Bytes(identity.begin() + 2, identity.begin() + 9), *s.identityAfterRestart);
    // The closing bytes end the loader but do not restart.
    rig.Send({0x0F, 0xF0});
    rig.Wait(10);
    EXPECT_FALSE(rig.instrument->Restarting());
    EXPECT_EQ(rig.instrument->Restarts(), 1);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimRestart, BootstrapInstrumentComesBackRunning) {
    Scenario s;
    s.mode = Mode::Bootstrap;
    VirtualRig rig(s);
    rig.instrument->Restart();
    rig.Wait(3000);
    EXPECT_EQ(rig.instrument->CurrentMode(), Mode::Running);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
}

TEST(SimFaults, NoAnswerStrayBytesAndWrongAnswer) {
    Scenario s;
    s.faults.push_back({Event::Probe, Action::NoAnswer, 1, 2, {}, 0});
    s.faults.push_back({Event::ReadWords, Action::StrayBytes, 1, 1, {0x41, 0x42}, 0});
    s.faults.push_back({Event::ReadParameter, Action::WrongAnswer, 0, 0, {0x99}, 0});
    s.faults.push_back({Event::StagingPrepare, Action::Delay, 1, 1, {}, 2500});
    VirtualRig rig(s);
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 200).empty());
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 200).empty());
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});  // the third probe is answered
    Bytes reply = rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 6);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0x41, 0x42, 0x10}));
    EXPECT_EQ(rig.Exchange(testing::ReadParameter(526), 6, 200), Bytes{0x99});
    EXPECT_EQ(rig.Exchange(testing::ReadParameter(562), 6, 200), Bytes{0x99});
    const std::int64_t before = rig.clock.NowUs();
    EXPECT_EQ(rig.Exchange({0xAA}, 1, 5000), Bytes{'f'});
    EXPECT_GE(rig.clock.NowUs() - before, 2'500'000);
}

TEST(SimFaults, LeavingTheLinkAndUnplugging) {
    Scenario s;
    s.faults.push_back({Event::ReadWords, Action::LeaveLink, 2, 1, {}, 0});
    s.faults.push_back({Event::EepromWrite, Action::Unplug, 1, 1, {}, 0});
    VirtualRig rig(s);
    EXPECT_EQ(rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 4).size(), 4u);
    EXPECT_EQ(rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 4, 200), Bytes{0x0A});
    rig.Send(testing::Eeprom('Q', 9, 0x1000, Bytes(128, 0)));
    rig.Wait(50);
    EXPECT_TRUE(rig.instrument->Unplugged());
    EXPECT_TRUE(rig.line.Unplugged());
    const std::uint8_t probe = 0x00;
    EXPECT_EQ(rig.host.Write(&probe, 1), -1);
    EXPECT_FALSE(rig.host.QueryStatus().ok);
}

TEST(SimFaults, InstrumentThatDoesNotComeBack) {
    Scenario s;
    s.faults.push_back({Event::Restart, Action::NoAnswer, 1, 1, {}, 0});
    VirtualRig rig(s);
    rig.Send({0x0F, 0x00});
    rig.Wait(10'000);
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 1000).empty());
}

TEST(SimFaults, RestartThatTakesLongerStaysSilentForTheExtraTime) {
    Scenario s;
    s.timing.restartUs = 2'000'000;
    s.faults.push_back({Event::Restart, Action::Delay, 2, 1, {}, 7000});
    VirtualRig rig(s);
    rig.Send({0x0F, 0x00});
    rig.Wait(2100);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});  // the first restart is as usual
    rig.Send({0x0F, 0x00});
    rig.Wait(2100);
    EXPECT_TRUE(rig.instrument->Restarting());
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 6500).empty());
    rig.Wait(600);
    EXPECT_FALSE(rig.instrument->Restarting());
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    EXPECT_EQ(rig.instrument->Restarts(), 2);
}

TEST(SimTranscript, KeepsBothDirectionsWithTimesAndPrintsThem) {
    VirtualRig rig;
    rig.Exchange({0x00}, 1);
    rig.Wait(100);
    rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 4);
    const Transcript& t = rig.instrument->GetTranscript();
    EXPECT_EQ(t.Bytes(Transcript::Direction::FromHost),
              (Bytes{0x00, 0x01, 0x00, 0xA0, 0xFE, 0x02}));
    EXPECT_EQ(t.Bytes(Transcript::Direction::ToHost).size(), 1u + 4u);
    std::vector<std::int64_t> fromHost;
    for (const auto& e : t.Entries()) {
        if (e.note.empty() && e.direction == Transcript::Direction::FromHost) {
            fromHost.push_back(e.timeUs);
        }
    }
    ASSERT_EQ(fromHost.size(), 2u);
    EXPECT_GT(fromHost[1] - fromHost[0], 100'000);
    const std::string text = t.Format();
    EXPECT_NE(text.find("PC> 00"), std::string::npos) << text;
    EXPECT_NE(text.find("<IN 5D"), std::string::npos) << text;
    EXPECT_NE(text.find("PC> 01 00 A0 FE 02"), std::string::npos) << text;
    EXPECT_NE(rig.instrument->Report().find("violations (0)"), std::string::npos);
}

}  // namespace
}  // namespace kell::testing
