#include <gtest/gtest.h>

#include "sim/keypad_tables.h"
#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

// The PC's side of the keypad procedure, as the updater serves it: answer each request code
// with the frames it asks for, reading the acknowledgements where the updater reads them.
class KeypadServer {
  public:
    explicit KeypadServer(VirtualRig& rig) : rig_(rig) {
        for (int i = 0; i < 256; ++i) {
            std::array<std::uint8_t, 64> block{};
            for (int k = 0; k < 64; ++k)
                block[k] = static_cast<std::uint8_t>(i + 3 * k);
            image.push_back(block);
        }
        security.assign(64, 0x5C);
        checksum = {0x12, 0x34};
    }

    // Returns the end code, or -1 when the instrument went quiet.
    int Run(int stopAfterBlocks = -1) {
        rig_.Send({0xBB});
        bool shortSequence = false;
        for (;;) {
            Bytes code = rig_.Receive(1, 10'000);
            if (code.empty())
                return -1;
            const std::uint8_t c = code[0];
            if (c >= 18 && c <= 21)
                return c;
            if (c == 6)
                shortSequence = true;
            if (!KeypadTable(c).empty()) {
                SendTable(c);
            } else if (c == 14) {
                for (int i = 0; i < 256; ++i) {
                    if (i == stopAfterBlocks)
                        return -1;
                    Bytes frame = {0xBC, 0x40};
                    testing::Append(frame, Bytes(image[i].begin(), image[i].end()));
                    rig_.Send(frame);
                    if (!shortSequence) {
                        acks += static_cast<int>(rig_.Receive(1, 2000).size());
                        SendTable(5);
                    } else if (i != 255) {
                        acks += static_cast<int>(rig_.Receive(1, 2000).size());
                        SendTable(6);
                    }
                    if (i != 255) {
                        Bytes next = rig_.Receive(1, 2000);
                        if (next != Bytes{14})
                            ++unexpected;
                    }
                }
            } else if (c == 16) {
                Bytes frame = {0xBC, 0x40};
                testing::Append(frame, security);
                rig_.Send(frame);
            } else if (c == 17) {
                rig_.Send({0xBC, 0x02, checksum[0], checksum[1]});
            } else if (c == 10) {
                rig_.Send({0xBC, 0x02, 0x00, 0x1F});
            }
        }
    }

    void SendTable(std::uint8_t code) {
        const auto& table = KeypadTable(code);
        for (std::size_t k = 0; k < table.size(); ++k) {
            KeypadWord w = table[k];
            if (corruptWord && code == 3 && k == 1)
                w[0] ^= 0xFF;
            rig_.Send({0xBC, 0x03, w[0], w[1], w[2]});
            if (k + 1 < table.size())
                acks += static_cast<int>(rig_.Receive(1, 2000).size());
        }
    }

    std::vector<std::array<std::uint8_t, 64>> image;
    Bytes security;
    Bytes checksum;
    int acks = 0;
    int unexpected = 0;
    bool corruptWord = false;

  private:
    VirtualRig& rig_;
};

TEST(SimKeypad, TablesAreTheInstrumentsInstructionWords) {
    ASSERT_EQ(KeypadTable(3).size(), 14u);
    EXPECT_EQ(KeypadTable(3)[0], (KeypadWord{0x9F, 0x82, 0xBC}));
    EXPECT_EQ(KeypadTable(5).size(), 14u);
    EXPECT_EQ(KeypadTable(6).size(), 12u);
    EXPECT_EQ(KeypadTable(7).size(), 18u);
    EXPECT_EQ(KeypadTable(9).size(), 38u);
    EXPECT_EQ(KeypadTable(11).size(), 15u);
    EXPECT_EQ(KeypadTable(13).back(), (KeypadWord{0xDF, 0xE2, 0x5C}));
    EXPECT_TRUE(KeypadTable(10).empty());
    EXPECT_TRUE(KeypadTable(14).empty());
}

TEST(SimKeypad, NormalRunStoresTheImageAndRestarts) {
    VirtualRig rig;
    KeypadServer pc(rig);
    EXPECT_EQ(pc.Run(), 18);
    const KeypadRecord& got = rig.instrument->Keypad();
    EXPECT_EQ(got.requestsSent, (Bytes{3, 14, 16, 17, 18}));
    ASSERT_EQ(got.blocks.size(), 256u);
    EXPECT_EQ(got.blocks, pc.image);
    EXPECT_EQ(got.security, pc.security);
    EXPECT_EQ(got.checksum, pc.checksum);
    // Table 3, then table 5 after every block.
    ASSERT_EQ(got.tables.size(), 257u);
    EXPECT_EQ(got.tables[1].request, 5);
    // One byte after every word but a table's last, and one after every block.
    EXPECT_EQ(pc.acks, 13 + 256 * (1 + 13));
    EXPECT_EQ(pc.unexpected, 0);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(20);
    // The instrument restarts, silent for less than the PC's 9 s, then answers again.
    rig.Wait(9000);
    EXPECT_EQ(rig.instrument->Restarts(), 1);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
}

TEST(SimKeypad, ShortSequenceAndAnotherEndCode) {
    Scenario s;
    s.keypadRequests = {6, 14, 19};
    VirtualRig rig(s);
    KeypadServer pc(rig);
    EXPECT_EQ(pc.Run(), 19);
    const KeypadRecord& got = rig.instrument->Keypad();
    EXPECT_EQ(got.blocks.size(), 256u);
    // Table 6 once for the request and after each block but the last.
    EXPECT_EQ(got.tables.size(), 1u + 255u);
    EXPECT_EQ(got.tables.back().request, 6);
    EXPECT_EQ(pc.unexpected, 0);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(20);
}

TEST(SimKeypad, WrongWordAndSilentPcAreReported) {
    Scenario s;
    s.timing.keypadTimeoutUs = 3'000'000;
    VirtualRig rig(s);
    KeypadServer pc(rig);
    pc.corruptWord = true;
    EXPECT_EQ(pc.Run(10), -1);                   // the PC stops after ten blocks
    EXPECT_EQ(rig.Receive(1, 4000), Bytes{21});  // the instrument gives up
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::KeypadProtocol), 2u)
        << rig.instrument->Report(10);
    EXPECT_FALSE(rig.instrument->InKeypadProcedure());
}

}  // namespace
}  // namespace kell::testing
