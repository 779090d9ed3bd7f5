#include <gtest/gtest.h>

#include "sim/named_scenarios.h"
#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"
#include "tests/sim/start_loader.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

Bytes LengthFrame(std::uint8_t first, std::uint32_t length) {
    return {first,
            0x00,
            0x00,
            0x20,
            0x00,
            static_cast<std::uint8_t>(length),
            static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16),
            static_cast<std::uint8_t>(length >> 24)};
}

// Stages a small application at 0xB00000 and a second image at 0x810000, as blocks.
void StageImages(VirtualRig& rig, const Bytes& application, const Bytes& second) {
    ASSERT_EQ(rig.Exchange(testing::StagingErase(0xD0, 0xE8), 1, 10'000), Bytes{'p'});
    for (std::size_t x = 0; x < application.size(); x += 200) {
        Bytes part(application.begin() + x,
                   application.begin() + std::min(x + 200, application.size()));
        const std::uint32_t at = 0xB00000 + static_cast<std::uint32_t>(x);
        ASSERT_EQ(rig.Exchange(testing::Block(at >> 16, at & 0xFFFF, part), 1), Bytes{'0'});
    }
    for (std::size_t x = 0; x < second.size(); x += 32) {
        Bytes part(second.begin() + x, second.begin() + std::min(x + 32, second.size()));
        ASSERT_EQ(rig.Exchange(testing::Block(0x81, static_cast<std::uint16_t>(x), part), 1),
                  Bytes{'0'});
    }
}

TEST(SimModule, ModuleTakesItsImagesAndReportsTheEnd) {
    Scenario s;
    s.timing.moduleProgramUs = 20'000'000;
    VirtualRig rig(s);
    StartLoader(rig);
    Bytes application(70'000);
    for (std::size_t i = 0; i < application.size(); ++i)
        application[i] = static_cast<std::uint8_t>(i % 253);
    Bytes second(1000, 0x00);
    second[999] = 0x77;
    StageImages(rig, application, second);

    EXPECT_EQ(rig.Exchange({0x0D, 0xD0}, 1), Bytes{s.moduleStartAnswer});
    rig.Send(LengthFrame(0xCC, static_cast<std::uint32_t>(application.size())));
    // The module takes its time; 0xBB ends it and the instrument restarts.
    EXPECT_TRUE(rig.Receive(1, 15'000).empty());
    EXPECT_EQ(rig.Receive(1, 10'000), Bytes{0xBB});
    const ModuleRecord& m = rig.instrument->Module();
    EXPECT_TRUE(m.finished);
    EXPECT_EQ(m.application, application);
    EXPECT_EQ(m.secondImage, second);
    EXPECT_EQ(m.lengthFrame[0], 0xCC);
    // Its banks are free again for the next update.
    EXPECT_EQ(rig.instrument->Staging(0xB00000, 1), Bytes{0xFF});
    rig.Wait(17'000);
    EXPECT_EQ(rig.instrument->Restarts(), 1);
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(20);
}

TEST(SimModule, LineReturnsToNormalSpeedWhileTheModuleWorks) {
    VirtualRig rig;
    StartLoader(rig);
    Bytes code = {0x01, 0x00};
    code.resize(128, 0);
    rig.Exchange(testing::Buffer(0, code), 1);
    rig.Send(testing::Call(0, 0xFEB4, {0x01, 0x00}));
    rig.Wait(20);
    rig.SetHostBaud(500000);
    StageImages(rig, Bytes(400, 0x01), Bytes(64, 0x00));
    EXPECT_EQ(rig.Exchange({0x0D, 0xD0}, 1).size(), 1u);
    rig.Send(LengthFrame(0xCC, 400));
    rig.Wait(1000);
    EXPECT_EQ(rig.instrument->LineSpeed(), 115200u);
    rig.SetHostBaud(115200);
    EXPECT_EQ(rig.Receive(1, 10'000), Bytes{0xBB});
}

TEST(SimModule, UsaFrameAndOrderAreChecked) {
    VirtualRig rig;  // region "EUR"
    StartLoader(rig);
    rig.Send(LengthFrame(0x4C, 400));  // no start before it, and the USA marker
    rig.Wait(10);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::OutOfSequence), 1u);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadConstant), 1u);
}

TEST(SimModule, ModuleThatNeverFinishes) {
    Scenario s;
    s.faults.push_back({Event::ModuleFinish, Action::NoAnswer, 1, 1, {}, 0});
    VirtualRig rig(s);
    StartLoader(rig);
    StageImages(rig, Bytes(400, 0x01), Bytes(64, 0x00));
    rig.Exchange({0x0D, 0xD0}, 1);
    rig.Send(LengthFrame(0xCC, 400));
    EXPECT_TRUE(rig.Receive(1, 60'000).empty());
    EXPECT_FALSE(rig.instrument->Module().finished);
    EXPECT_EQ(rig.instrument->Restarts(), 0);
}

}  // namespace
}  // namespace kell::testing
