#include <gtest/gtest.h>

#include "sim/named_scenarios.h"
#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

// A whole update in miniature, played from the PC's side in the order the updater runs its
// steps, twice in a row: the simulator's staging, commit and restart rules must let a session
// that follows the protocol through without a single violation, and leave the instrument
// reporting what it received.
namespace kell::testing {
using namespace kell::sim;
namespace {

class PcWalk {
  public:
    explicit PcWalk(VirtualRig& rig) : rig_(rig) {}

    void Expect(const Bytes& request, const Bytes& answer, std::uint32_t timeoutMs = 2000) {
        EXPECT_EQ(rig_.Exchange(request, answer.size(), timeoutMs), answer)
            << rig_.instrument->Report(30);
    }
    void Block(std::uint32_t linear, const Bytes& data) {
        Expect(testing::Block(static_cast<std::uint8_t>(linear >> 16),
                              static_cast<std::uint16_t>(linear), data),
               {'0'});
    }
    void StartLoader() {
        Bytes stage1 = {0x04, 0x90, 0x00};
        stage1.resize(147, 0x11);
        Expect(stage1, {'J', 0x98, 0x00, 0x00});
        Bytes stage2 = {0x04, 0xC8, 0x03};
        stage2.resize(971, 0x22);
        EXPECT_EQ(rig_.Exchange(stage2, 2, 20'000).back(), 0xAD);
    }
    void Picture(int topRow) {
        Block(0x980000 + 2 * 85 + 640 * topRow, Bytes(200, 0x33));
        Block(0x980000 + 2 * 185 + 640 * topRow, Bytes(100, 0x44));
    }
    void Reconnect(std::uint32_t pauseMs) {
        rig_.Wait(pauseMs);
        rig_.Send({0x0A});
        rig_.Wait(100);
        Expect({0x00}, {0x5D});
    }
    void Finish() {
        rig_.Send({0x0F, 0x00});
        rig_.Wait(500);
    }

    VirtualRig& rig_;
};

Bytes Text(const std::string& s, std::size_t room) {
    Bytes b = testing::Text(s);
    b.resize(room, 0x00);
    return b;
}

void RunUpdate(VirtualRig& rig, const Bytes& plan) {
    PcWalk pc(rig);
    pc.Expect({0x00}, {0x5D});
    EXPECT_EQ(rig.Exchange(testing::ReadWords(0x1E, 0, 6), 8).size(), 8u);

    // Erase step: a blank buffer frame, then the sectors.
    pc.Expect(testing::Buffer(0, Bytes(128, 0xFF)), {0xA5});
    for (int sector : {1, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44}) {
        pc.Expect(testing::Sector(0, static_cast<std::uint8_t>(sector), 0), {0xB5}, 10'000);
    }

    // Line speed 500000.
    Bytes code = {0x01, 0x00};
    code.resize(128, 0x00);
    pc.Expect(testing::Buffer(0, code), {0xA5});
    rig.Wait(500);
    rig.Send(testing::Call(0x00, 0xFEB4, {0x01, 0x00}));
    rig.Wait(10);
    rig.SetHostBaud(500000);
    rig.Wait(1000);

    // Zone step: one user-band record is enough here.
    Bytes band(128, 0x00);
    band[0] = 0xA0;
    band[1] = 71;
    band[3] = 0x54;
    band[69] = 0xFA;
    band[70] = testing::Xor(band, 0, 70);
    pc.Expect(testing::Eeprom('Q', 9, 0x1000, band), {0x20});
    rig.Wait(5000);

    // FPGA step: loader, picture 1, staging erase, the set (one block per bank).
    pc.StartLoader();
    pc.Expect(testing::StagingErase(0x98, 0x9A), {'p'}, 30'000);
    pc.Picture(82);
    pc.Expect(testing::StagingErase(0xDB, 0xE0), {'p'}, 3000);
    Bytes directory(250, 0xFF);
    directory[0] = 3;
    directory[1] = 0;
    for (int i = 0; i < 3; ++i) {
        std::fill(directory.begin() + 2 + 16 * i, directory.begin() + 2 + 16 * i + 14, 0x00);
        directory[2 + 16 * i + 8] = 4;
        directory[2 + 16 * i + 9] = 3;
    }
    pc.Block(0xDB0000, directory);
    for (std::uint32_t bank = 0xDC; bank <= 0xDF; ++bank)
        pc.Block(bank << 16, Bytes(250, 0x6A));

    // Main firmware step: picture 1, the stream (one block per page, the version texts, the
    // firmware's own plan page), the plan table over it, picture 2, the commit, the erase.
    pc.Expect(testing::StagingErase(0x98, 0x9A), {'p'}, 30'000);
    pc.Picture(82);
    std::vector<int> pages = {0};
    for (int p = 2; p <= 22; ++p)
        pages.push_back(p);
    for (int p = 24; p <= 28; ++p)
        pages.push_back(p);
    for (int p : pages)
        pc.Block(static_cast<std::uint32_t>(p + 0xAB) << 16 | 0x1000, Bytes(32, 0x5A));
    pc.Block(0xC30010, Text("2.04", 6));
    pc.Block(0xC30016, Text("00000", 6));
    pc.Block(0xC90000, Bytes(32, 0x21));
    for (std::size_t offset = 0; offset < plan.size(); offset += 128) {
        Bytes part(plan.begin() + offset, plan.begin() + std::min(offset + 128, plan.size()));
        pc.Block((offset > 0xFFFF ? 0xCA0000 : 0xC90000) | (offset & 0xFFFF), part);
    }
    pc.Picture(82);
    pages.push_back(30);
    pages.push_back(31);
    for (int p = 48; p <= 52; ++p)
        pages.push_back(p);
    Bytes progress = rig.Exchange(testing::Commit(pages), 4 + 2 * pages.size() + 2, 60'000);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(Bytes(progress.end() - 2, progress.end()), (Bytes{0x80, 0x80}));
    pc.Expect({0xAA}, {'f'});
    pc.Expect(testing::StagingErase(0xAB, 0xC9), {'p'}, 5000);

    // MPEG4 step: staging, picture 3, the application (one block per bank), the second
    // image, picture 4, start, length, the module's end.
    pc.Expect(testing::StagingErase(0xD0, 0xE8), {'p'}, 10'000);
    pc.Expect(testing::StagingErase(0x98, 0x9A), {'p'}, 30'000);
    pc.Picture(132);
    for (std::uint32_t bank = 0xB0; bank <= 0xF3; ++bank)
        pc.Block(bank << 16, Bytes(200, 0x4D));
    for (std::uint16_t a = 0; a < 128; a += 32)
        pc.Block(0x810000 | a, Bytes(32, 0x00));
    pc.Picture(132);
    EXPECT_EQ(rig.Exchange({0x0D, 0xD0}, 1).size(), 1u);
    rig.Send({0xCC, 0x00, 0x00, 0x20, 0x00, 0x64, 0xAF, 0x43, 0x00});
    rig.Wait(1000);
    rig.SetHostBaud(115200);
    EXPECT_EQ(rig.Receive(1, 1'900'000), Bytes{0xBB});
    pc.Reconnect(17'000);

    // Closing: finish, pause, reconnect, the closing records, finish, end of link.
    pc.Finish();
    pc.Reconnect(10'000);
    pc.Expect(testing::Eeprom('?', 0x0C, 0x0117, {}), {0x20});
    pc.Expect(testing::Eeprom('Q', 9, 0x1000, band), {0x20});
    pc.Expect(testing::Eeprom('Q', 9, 0x1200, band), {0x20});
    pc.Finish();
    rig.Send({0x0A});
    rig.Wait(10'000);
}

TEST(SimSessionWalk, TwoFullUpdatesInARowLeaveNoViolation) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.planType = 0;
    s.planVersion = 111;
    VirtualRig rig(s);
    Bytes plan(73596);
    for (std::size_t i = 0; i < plan.size(); ++i)
        plan[i] = static_cast<std::uint8_t>(i * 13);
    plan[0] = 0;
    plan[1] = 5;
    plan[2] = 0;
    plan[3] = 112;
    plan[4] = 0;

    RunUpdate(rig, plan);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, plan.size()), plan);
    EXPECT_EQ(rig.instrument->Flash(0x30000A, 2), (Bytes{4, 3}));
    EXPECT_TRUE(rig.instrument->Module().finished);
    EXPECT_EQ(rig.instrument->Module().application.size(), 0x43AF64u);

    RunUpdate(rig, plan);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
    EXPECT_EQ(rig.instrument->Memory().RegionText(), "EUR");
}

}  // namespace
}  // namespace kell::testing
