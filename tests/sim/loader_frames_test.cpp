#include <gtest/gtest.h>

#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

// The plan bytes as the PC sends them: 0x5A frames of 128 bytes from buffer address 0.
void FillBuffer(VirtualRig& rig, const Bytes& image) {
    for (std::size_t offset = 0; offset < image.size(); offset += 128) {
        Bytes chunk(image.begin() + offset, image.begin() + std::min(offset + 128, image.size()));
        chunk.resize(128, 0xFF);
        ASSERT_EQ(rig.Exchange(testing::Buffer(static_cast<std::uint32_t>(offset), chunk), 1),
                  Bytes{0xA5});
    }
}

Bytes PlanImage(std::size_t length, std::uint8_t type, std::uint8_t version) {
    Bytes image(length);
    for (std::size_t i = 0; i < length; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    image[0] = 0;
    image[1] = 3;
    image[2] = 0;
    image[3] = version;
    image[4] = type;
    return image;
}

TEST(SimLoaderFrames, BufferFramesFillTheRamBuffer) {
    VirtualRig rig;
    // The blank frame: 128 bytes 0xFF, check byte 0x00.
    Bytes blank = testing::Buffer(0, Bytes(128, 0xFF));
    EXPECT_EQ(blank.back(), 0x00);
    EXPECT_EQ(rig.Exchange(blank, 1), Bytes{0xA5});
    EXPECT_EQ(rig.Exchange(testing::Buffer(0x80, Bytes(128, 0x3C)), 1), Bytes{0xA5});
    EXPECT_EQ(rig.instrument->RamBuffer(0x7F, 3), (Bytes{0xFF, 0x3C, 0x3C}));

    Bytes bad = testing::Buffer(0, Bytes(128, 1));
    bad.back() ^= 0x40;
    EXPECT_EQ(rig.Exchange(bad, 1), Bytes{'?'});
    EXPECT_EQ(rig.Exchange(testing::Buffer(0x20000, Bytes(128, 1)), 1), Bytes{'?'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadChecksum), 1u);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadAddress), 1u);
}

TEST(SimLoaderFrames, SectorEraseAndMaintenanceErase) {
    VirtualRig rig;
    rig.instrument->AddFault({Event::SectorErase, Action::Refuse, 2, 1, {}, 0});
    // EraseFlashSector(0x20): 5B 00 00 00 00 00 00 20 00 00 00 20.
    Bytes erase = testing::Sector(0, 0x20, 0);
    EXPECT_EQ(erase, (Bytes{0x5B, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0x20}));
    EXPECT_EQ(rig.Exchange(erase, 1, 10'000), Bytes{0xB5});
    EXPECT_EQ(rig.Exchange({0x0C, 39}, 1, 10'000), Bytes{39});
    // A refused maintenance erase answers something other than the sector number.
    Bytes refused = rig.Exchange({0x0C, 40}, 1, 10'000);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0], 40);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimLoaderFrames, PlanProgrammedIntoSectorThirtyIsReadBackAfterTheRestart) {
    VirtualRig rig;
    Bytes plan = PlanImage(22692, 1, 103);
    FillBuffer(rig, plan);
    EXPECT_EQ(
        rig.Exchange(testing::Sector(22692, 30, testing::Xor(plan, 0, plan.size())), 1, 10'000),
        Bytes{0xB5});
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, plan.size()), plan);
    // The instrument restarts to take its new plans and answers again within the PC's 5 s.
    rig.Wait(4000);
    EXPECT_EQ(rig.instrument->Restarts(), 1);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    Bytes header = rig.Exchange(testing::ReadWords(0x1E, 0, 6), 8);
    EXPECT_EQ(Bytes(header.begin() + 2, header.end()), Bytes(plan.begin(), plan.begin() + 6));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimLoaderFrames, LongPlanRunsIntoSectorThirtyOne) {
    VirtualRig rig;
    Bytes plan = PlanImage(73596, 0, 112);
    FillBuffer(rig, plan);
    EXPECT_EQ(
        rig.Exchange(testing::Sector(73596, 30, testing::Xor(plan, 0, plan.size())), 1, 10'000),
        Bytes{0xB5});
    EXPECT_EQ(rig.instrument->Restarts(), 0);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, plan.size()), plan);
    // Sector 31 is then programmed again from the buffer's bytes from 65535 on, as the PC names
    // them: 8061 bytes.
    EXPECT_EQ(
        rig.Exchange(testing::Sector(8061, 31, testing::Xor(plan, 65535, 65535 + 8061)), 1, 10'000),
        Bytes{0xB5});
    EXPECT_EQ(rig.instrument->Flash(0x1F0000, 8061), Bytes(plan.begin() + 65535, plan.end()));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();

    // A data XOR that does not match those bytes is refused and reported.
    VirtualRig other;
    FillBuffer(other, plan);
    ASSERT_NE(plan[65535], plan[65536]);
    EXPECT_EQ(other.Exchange(testing::Sector(8060, 31, testing::Xor(plan, 0x10000, plan.size())), 1,
                             10'000),
              Bytes{'?'});
    EXPECT_EQ(other.instrument->Violations().Count(ViolationKind::BadChecksum), 1u);
}

TEST(SimLoaderFrames, LineSpeedCallChangesTheInstrumentsSpeed) {
    VirtualRig rig;
    Bytes code = {0x01, 0x00};
    Bytes buffer = code;
    buffer.resize(128, 0x00);
    EXPECT_EQ(rig.Exchange(testing::Buffer(0, buffer), 1), Bytes{0xA5});
    rig.Wait(500);
    rig.Send(testing::Call(0x00, 0xFEB4, code));  // 02 05 00 B4 FE 01 00, no answer
    rig.Wait(50);
    EXPECT_EQ(rig.instrument->LineSpeed(), 500000u);
    ASSERT_EQ(rig.instrument->Calls().size(), 1u);
    EXPECT_EQ(rig.instrument->Calls()[0].word, 0xFEB4);
    // At the old speed the probe is lost; at the new one it is answered.
    EXPECT_TRUE(rig.Exchange({0x00}, 1, 100).empty());
    rig.SetHostBaud(500000);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    // A restart brings the line back to 115200.
    rig.Send({0x0F, 0x00});
    rig.Wait(3000);
    EXPECT_EQ(rig.instrument->LineSpeed(), 115200u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

}  // namespace
}  // namespace kell::testing
