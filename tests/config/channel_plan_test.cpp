#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "config/channel_plan.h"
#include "payloads/payloads.h"
#include "tests/config/config_rig.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;
using Programmed = ScriptedRecordStore::Programmed;

// A frame whose answer came late is sent again, and the late answer may then be taken for the
// next frame's: the instrument can see a frame more than once. These count each once.
std::set<std::uint32_t> BufferAddresses(const ScriptedInstrument& instrument) {
    std::set<std::uint32_t> addresses;
    for (const Bytes& f : instrument.FramesOf(0x5A))
        addresses.insert((f[1] << 16) | (f[2] << 8) | f[3]);
    return addresses;
}

std::vector<Programmed> ProgrammedOnce(const ScriptedInstrument& instrument) {
    std::vector<Programmed> once;
    for (const Programmed& p : instrument.records.programmed)
        if (once.empty() || !(once.back() == p))
            once.push_back(p);
    return once;
}

struct PlanRig : ConfigRig {
    bool Send(int planType) {
        const bool ok = SendChannelPlan(session, *image, planType);
        clock.AdvanceBy(100'000);  // what is still on the wire
        return ok;
    }
    std::unique_ptr<ChannelPlanImage> image = std::make_unique<ChannelPlanImage>();
};

TEST(ChannelPlan, TypeZeroFillsBothSectors) {
    PlanRig rig;
    const std::span<const std::uint8_t> plan = payloads::ChannelPlan(0);
    ASSERT_EQ(plan.size(), 73596u);

    EXPECT_TRUE(rig.Send(0));
    const std::set<std::uint32_t> addresses = BufferAddresses(rig.instrument);
    EXPECT_EQ(addresses.size(), 575u);
    EXPECT_EQ(*addresses.rbegin(), 574u * 128);
    EXPECT_TRUE(std::equal(plan.begin(), plan.end(), rig.instrument.records.loaderBuffer.begin()));
    // The last frame is filled up from the buffer's 0xFF, not from zeros.
    EXPECT_EQ(rig.instrument.records.loaderBuffer[73596], 0xFF);
    EXPECT_EQ(rig.instrument.records.badFrames, 0);
    // Sector 31 takes what lies from offset 65535 on: 73596 - 65535 = 8061 bytes.
    EXPECT_EQ(ProgrammedOnce(rig.instrument),
              (std::vector<Programmed>{{30, 73596, XorOf(plan)},
                                       {31, 8061, XorOf(plan.subspan(65535))}}));
    EXPECT_EQ(rig.Barra_progreso.maximum, 73596);
    EXPECT_EQ(rig.resultCode, 0);
}

TEST(ChannelPlan, OtherTypesFillSectorThirtyOnly) {
    for (int type = 1; type <= 4; ++type) {
        SCOPED_TRACE(type);
        PlanRig rig;
        const std::span<const std::uint8_t> plan = payloads::ChannelPlan(type);
        EXPECT_TRUE(rig.Send(type));
        EXPECT_EQ(
            ProgrammedOnce(rig.instrument),
            (std::vector<Programmed>{{30, static_cast<std::uint32_t>(plan.size()), XorOf(plan)}}));
        EXPECT_TRUE(rig.instrument.records.erasedByLoader.empty());
    }
}

TEST(ChannelPlan, TransferFailureRecordsEight) {
    PlanRig rig;
    rig.instrument.records.answerFor = [](const Bytes& f) -> std::optional<Answer> {
        if (f[0] == 0x5A && f[2] == 0x01)  // the frame at buffer address 0x0100
            return Answer{};
        return std::nullopt;
    };
    EXPECT_FALSE(rig.Send(3));
    EXPECT_EQ(rig.resultCode, 8);
    EXPECT_TRUE(rig.instrument.FramesOf(0x5B).empty());
}

TEST(ChannelPlan, ProgrammingFailureOfSectorThirtyRecordsNine) {
    PlanRig rig;
    rig.instrument.records.answerFor = [](const Bytes& f) -> std::optional<Answer> {
        if (f[0] == 0x5B)
            return Answer{};
        return std::nullopt;
    };
    EXPECT_FALSE(rig.Send(0));
    EXPECT_EQ(rig.resultCode, 9);
    for (const Bytes& f : rig.instrument.FramesOf(0x5B))
        EXPECT_EQ(f[7], 30);
}

TEST(ChannelPlan, ProgrammingFailureOfSectorThirtyOneRecordsNine) {
    PlanRig rig;
    // The first sector frame is answered, every later one is not.
    auto answered = std::make_shared<bool>(false);
    rig.instrument.records.answerFor = [answered](const Bytes& f) -> std::optional<Answer> {
        if (f[0] != 0x5B)
            return std::nullopt;
        if (*answered)
            return Answer{};
        *answered = true;
        return std::nullopt;
    };
    EXPECT_FALSE(rig.Send(0));
    EXPECT_EQ(rig.resultCode, 9);
    EXPECT_EQ(rig.instrument.FramesOf(0x5B).back()[7], 31);
}

// A length of 0 in a sector frame is the loader's erase: an unknown type must send nothing.
TEST(ChannelPlan, UnknownTypeSendsNothing) {
    for (const int type : {-1, 5}) {
        PlanRig rig;
        EXPECT_FALSE(rig.Send(type));
        EXPECT_EQ(rig.resultCode, 8);
        EXPECT_TRUE(rig.instrument.frames.empty());
    }
}

TEST(ChannelPlan, ClearAndEraseRule) {
    auto image = std::make_unique<ChannelPlanImage>();
    image->fill(0x12);
    EXPECT_EQ(&ClearChannelPlan(*image), image.get());
    EXPECT_TRUE(
        std::all_of(image->begin(), image->end(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(PlanNeedsErase(*image, 0));
    for (const int type : {1, 2, 3, 4, 5})
        EXPECT_FALSE(PlanNeedsErase(*image, type));
}

}  // namespace
}  // namespace kell::testing
