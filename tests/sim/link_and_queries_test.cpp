#include <gtest/gtest.h>

#include "sim/named_scenarios.h"
#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

TEST(SimLink, ProbeAnswerTellsTheMode) {
    VirtualRig running;
    EXPECT_EQ(running.Exchange({0x00}, 1), Bytes{0x5D});
    EXPECT_TRUE(running.instrument->LinkUp());
    running.Send({0x0A});
    running.Wait(10);
    EXPECT_FALSE(running.instrument->LinkUp());

    VirtualRig bootstrap(scenarios::Bootstrap());
    EXPECT_EQ(bootstrap.Exchange({0x00}, 1), Bytes{0xD5});

    Scenario busy;
    busy.mode = Mode::Busy;
    VirtualRig third(busy);
    EXPECT_EQ(third.Exchange({0x00}, 1), Bytes{0x6D});
    EXPECT_TRUE(third.Exchange({0xBF}, 1, 200).empty());
}

TEST(SimLink, InstrumentCanLeaveTheLink) {
    VirtualRig rig;
    rig.Exchange({0x00}, 1);
    rig.instrument->LeaveLink();
    EXPECT_EQ(rig.Receive(1), Bytes{0x0A});
    EXPECT_FALSE(rig.instrument->LinkUp());
}

TEST(SimQueries, ReadWordsServesIdentificationFromMemory) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.hardwareType = {0x00, 0x03};
    s.region = "USA";
    VirtualRig rig(s);
    // Acknowledgement, one ignored byte, then the data.
    Bytes hw = rig.Exchange(testing::ReadWords(0x00, 0x6030, 16), 18);
    ASSERT_EQ(hw.size(), 18u);
    EXPECT_EQ(hw[0], 0x10);
    EXPECT_EQ(hw[2], 0x00);
    EXPECT_EQ(hw[3], 0x03);

    Bytes region = rig.Exchange(testing::ReadWords(0x18, 0x0000, 16), 18);
    EXPECT_EQ(Bytes(region.begin() + 14, region.begin() + 17), testing::Text("USA"));

    Bytes release = rig.Exchange(testing::ReadWords(0x18, 0x0010, 6), 8);
    EXPECT_EQ(Bytes(release.begin() + 2, release.end()), (Bytes{'1', '.', '8', '9', 0, 0}));
    Bytes build = rig.Exchange(testing::ReadWords(0x18, 0x0016, 6), 8);
    EXPECT_EQ(Bytes(build.begin() + 2, build.end()), (Bytes{'0', '0', '0', '0', '0', 0}));

    Bytes plan = rig.Exchange(testing::ReadWords(0x1E, 0x0000, 6), 8);
    EXPECT_EQ(plan[2 + 2] << 8 | plan[2 + 3], 102);
    EXPECT_EQ(plan[2 + 4], 1);

    Bytes fpga = rig.Exchange(testing::ReadWords(0x30, 0x0000, 16), 18);
    EXPECT_EQ(fpga[2 + 11], 3);
    EXPECT_EQ(fpga[2 + 10], 3);

    Bytes level = rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 4);
    EXPECT_EQ(level[2], s.level);

    Bytes options = rig.Exchange(testing::ReadWords(0x00, 0x6010, 32), 34);
    EXPECT_EQ(options[2 + 26] & 0x20, 0);  // three FPGA configurations

    Bytes identity = rig.Exchange(testing::ReadWords(0x00, 0x6000, 16), 18);
    EXPECT_EQ(Bytes(identity.begin() + 2, identity.begin() + 9), s.identity);

    // An odd length sends exactly that many bytes.
    EXPECT_EQ(rig.Exchange(testing::ReadWords(0x18, 0x0010, 3), 10, 50).size(), 5u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimQueries, ParametersSitInTheReplyBytesThePcTakes) {
    Scenario s;
    s.zone = 0x45;
    s.setting562 = 7;
    s.setting571 = 0x1234;
    VirtualRig rig(s);
    // Reply byte 0 is the acknowledgement; 526 is taken from byte 4, 562 from byte 5, 571 from
    // bytes 5 (high) and 4 (low).
    Bytes zone = rig.Exchange(testing::ReadParameter(526), 6);
    ASSERT_EQ(zone.size(), 6u);
    EXPECT_EQ(zone[0], 0x10);
    EXPECT_EQ(zone[4], 0x45);
    EXPECT_EQ(rig.Exchange(testing::ReadParameter(562), 6)[5], 7);
    Bytes word = rig.Exchange(testing::ReadParameter(571), 6);
    EXPECT_EQ(word[5] << 8 | word[4], 0x1234);
    EXPECT_TRUE(rig.instrument->Violations().Empty());
}

TEST(SimQueries, PeripheralStatusAndModuleIdentity) {
    Scenario s;
    s.peripheralStatus12 = 0x80;
    s.module.version = 0x0102;
    s.module.build = 0x0010;
    s.module.decoders = 3;
    s.module.boot = 4;
    VirtualRig rig(s);
    // Register 12, read, one byte: 0x10, the count, then bytes stored from buffer[0].
    Bytes status = rig.Exchange({0x01, 0x50, 0x3F, 0x01, 0x9C}, 4);
    EXPECT_EQ(status, (Bytes{0x10, 0x02, 0x01, 0x80}));
    EXPECT_EQ(rig.Exchange({0x01, 0x50, 0x3F, 0x01, 0x98}, 4), (Bytes{0x10, 0x02, 0x01, 0x00}));

    EXPECT_EQ(rig.Exchange({0xBF}, 8), (Bytes{0xFB, 0x06, 0x01, 0x02, 0x00, 0x10, 0x03, 0x04}));
    Bytes serial = rig.Exchange({0xC0}, 66);
    ASSERT_EQ(serial.size(), 66u);
    EXPECT_EQ(serial[0], 0x0C);

    Scenario none;
    none.module.present = false;
    VirtualRig bare(none);
    EXPECT_TRUE(bare.Exchange({0xBF}, 1, 500).empty());
    EXPECT_TRUE(bare.Exchange({0xC0}, 1, 500).empty());
}

TEST(SimParser, StrayBytesAreSkippedAndAHalfFrameTimesOut) {
    VirtualRig rig;
    // Unknown bytes before a command: reported, then the command is read normally.
    EXPECT_EQ(rig.Exchange({0x77, 0x99, 0x00}, 1), Bytes{0x5D});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::UnknownCommand), 2u);

    // A frame that stops half-way is dropped after the silence; the next command is answered.
    rig.Send({0x01, 0x00, 0x30});
    rig.Wait(150);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::FrameTimeout), 1u);
    Bytes reply = rig.Exchange(testing::ReadWords(0x00, 0xFEA0, 2), 4);
    EXPECT_EQ(reply.size(), 4u);

    // Frames whose length bytes are impossible are refused without reading past them.
    EXPECT_EQ(rig.Exchange({0x03, 0x00}, 1), Bytes{'?'});
    EXPECT_EQ(rig.Exchange({0x03, 0x04, 0x00, 0x00, 0xAB, 0xAF}, 1), Bytes{'?'});
    EXPECT_EQ(rig.Exchange({0x02, 0x00, 0x02, 0x01, 0x50}, 2, 50), Bytes{'?'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadLength), 4u)
        << rig.instrument->Report();

    // A function the instrument does not serve is reported and not answered.
    EXPECT_TRUE(rig.Exchange(testing::ReadWords(0x22, 0x0000, 2), 1, 200).empty());
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadAddress), 1u);
}

TEST(SimParser, NoiseNeverCrashesOrWedgesIt) {
    for (Mode mode : {Mode::Running, Mode::Bootstrap}) {
        Scenario s;
        s.mode = mode;
        VirtualRig rig(s);
        std::uint32_t seed = 12345;
        for (int i = 0; i < 20000; ++i) {
            seed = seed * 1103515245u + 12345u;
            rig.Send({static_cast<std::uint8_t>(seed >> 16)});
            if (i % 64 == 0)
                rig.Receive(4096, 1);
        }
        // Whatever the noise started (a keypad run, a restart, another line speed), a restart
        // brings it back to answering the probe.
        rig.Wait(10'000);
        rig.instrument->Restart();
        rig.Wait(5'000);
        rig.Receive(100000, 10);
        EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D}) << rig.instrument->Report(20);
    }
}

}  // namespace
}  // namespace kell::testing
