#include <gtest/gtest.h>

#include "modules/loader_patch.h"
#include "tests/firmware/firmware_rig.h"

namespace kell::testing {
namespace {

Bytes Join(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    Bytes all(a.begin(), a.end());
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// Known loader blocks: block 1 all 0x11, block 2 all 0x22, block 3 counting.
struct StageRig : FirmwareRig {
    StageRig() {
        Bytes blocks(TBoot::kBlock1Length, 0x11);
        blocks.resize(TBoot::kBlock1Length + TBoot::kBlock2Length, 0x22);
        const Bytes third = Counting(TBoot::kBlock3Length);
        blocks.insert(blocks.end(), third.begin(), third.end());
        TBoot::ReplaceBlocks(blocks);
        graficos.enabled = true;
    }
    TBoot boot;
};

TEST(BootstrapLoaderTest, SendsBlocksOneAndThreeAndTakesTheLoadersAnswer) {
    StageRig rig;
    rig.loader.bootstrapMode = true;
    EXPECT_TRUE(rig.Make().StartBootstrapLoader());
    EXPECT_EQ(rig.loader.bootstrapCode, Join(rig.boot.Block1(), rig.boot.Block3()));
    EXPECT_FALSE(rig.graficos.enabled);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(BootstrapLoaderTest, AnotherAnswerBeepsAndSilenceEndsAfterThirtySeconds) {
    StageRig wrong;
    wrong.loader.bootstrapMode = true;
    wrong.loader.bootstrapAnswer = {0x55};
    EXPECT_FALSE(wrong.Make().StartBootstrapLoader());
    EXPECT_EQ(wrong.notifier.beeps.size(), 1u);

    StageRig silent;
    silent.loader.bootstrapMode = true;
    silent.loader.bootstrapAnswer = {};
    const std::int64_t start = silent.clock.NowUs();
    EXPECT_FALSE(silent.Make().StartBootstrapLoader());
    EXPECT_NEAR(silent.SecondsSince(start), 30, 1);
    EXPECT_TRUE(silent.notifier.beeps.empty());
}

TEST(LoaderStage1Test, AnAtSignLeavesPicturesDisabled) {
    StageRig rig;
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_TRUE(rig.Make().LoadLoaderStage1());
    EXPECT_EQ(rig.loader.stage1Code, Bytes(rig.boot.Block2().begin(), rig.boot.Block2().end()));
    EXPECT_FALSE(rig.graficos.enabled);
    EXPECT_EQ(rig.stepStartTime, start / kSecondUs);
    EXPECT_GE(rig.SecondsSince(start), 2.0);  // the loader's rest after the stage
}

TEST(LoaderStage1Test, AJGivesThePictureRasterFirstBankAndBaseAddressHighByteFirst) {
    StageRig rig;
    rig.loader.stage1Answer = {'J', 0xF0, 0x12, 0x34};
    EXPECT_TRUE(rig.Make().LoadLoaderStage1());
    EXPECT_TRUE(rig.graficos.enabled);
    EXPECT_EQ(rig.graficos.firstBank, 0xF0);
    EXPECT_EQ(rig.graficos.baseAddress, 0x1234);
}

TEST(LoaderStage1Test, AnIncompleteRasterOrAnotherAnswerFailsWithPicturesDisabled) {
    StageRig incomplete;
    incomplete.loader.stage1Answer = {'J', 0xF0};
    const std::int64_t start = incomplete.clock.NowUs();
    EXPECT_FALSE(incomplete.Make().LoadLoaderStage1());
    EXPECT_FALSE(incomplete.graficos.enabled);
    EXPECT_NEAR(incomplete.SecondsSince(start), 21, 1);  // more than 20 whole seconds

    StageRig other;
    other.loader.stage1Answer = {'K'};
    EXPECT_FALSE(other.Make().LoadLoaderStage1());
    EXPECT_FALSE(other.graficos.enabled);

    StageRig silent;
    silent.loader.stage1Answer = {};
    EXPECT_FALSE(silent.Make().LoadLoaderStage1());
    EXPECT_TRUE(silent.graficos.enabled);  // cleared only once the loader answered
}

TEST(LoaderStage2Test, SendsBlockThreeSlowlyAndWaitsForTheLoaderAfterOneByte) {
    StageRig rig;
    std::vector<std::int64_t> arrivals;
    rig.line.SetTap([&](VirtualLine::Direction d, std::int64_t t, std::uint8_t) {
        if (d == VirtualLine::Direction::ToDevice)
            arrivals.push_back(t);
    });
    EXPECT_TRUE(rig.Make().LoadLoaderStage2());
    EXPECT_EQ(rig.loader.stage2Code, Bytes(rig.boot.Block3().begin(), rig.boot.Block3().end()));
    ASSERT_EQ(arrivals.size(), 3u + 968u);
    // Each command byte and each 4-byte piece starts at least a millisecond after the one
    // before, and a piece's bytes go back to back.
    std::vector<std::size_t> starts{0, 1, 2};
    for (std::size_t piece = 3; piece < arrivals.size(); piece += 4)
        starts.push_back(piece);
    for (std::size_t k = 1; k < starts.size(); ++k)
        EXPECT_GE(arrivals[starts[k]] - arrivals[starts[k - 1]], 1000) << "piece " << k;
    EXPECT_LT(arrivals[6] - arrivals[3], 1000);
}

TEST(LoaderStage2Test, TheFirstByteIsDiscardedEvenWhenItIsTheAnswer) {
    StageRig rig;
    rig.loader.stage2Answer = {0xAD};
    EXPECT_FALSE(rig.Make().LoadLoaderStage2());

    StageRig chatty;
    chatty.loader.stage2Answer = {0x01, 0x02, 0x03, 0xAD};
    EXPECT_TRUE(chatty.Make().LoadLoaderStage2());
}

TEST(LoaderPatchTest, TheBytesHoldForEveryLaterSendingOfBlockThree) {
    StageRig rig;
    ASSERT_TRUE(PatchLoaderBlock());
    EXPECT_TRUE(rig.Make().LoadLoaderStage2());
    ASSERT_EQ(rig.loader.stage2Code.size(), 968u);
    EXPECT_EQ(rig.loader.stage2Code[248], 248);
    EXPECT_EQ(Bytes(rig.loader.stage2Code.begin() + 249, rig.loader.stage2Code.begin() + 252),
              (Bytes{0x03, 0x20, 0x41}));
    EXPECT_EQ(rig.loader.stage2Code[252], 252);

    // A transfer made later, with a TBoot of its own, sends the patched block too.
    rig.loader.bootstrapMode = true;
    EXPECT_TRUE(rig.Make().StartBootstrapLoader());
    EXPECT_EQ(rig.loader.bootstrapCode[32 + 250], 0x20);
}

TEST(PrepareLoaderTest, PatchesAndRunsBothStagesWithTheTimerOff) {
    StageRig rig;
    EXPECT_TRUE(rig.Make().PrepareLoader());
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
    EXPECT_EQ(rig.loader.stage2Code[251], 0x41);

    StageRig refused;
    refused.loader.stage1Answer = {'K'};
    EXPECT_FALSE(refused.Make().PrepareLoader());
    EXPECT_TRUE(refused.loader.stage2Code.empty());  // stage 2 only after stage 1
}

}  // namespace
}  // namespace kell::testing
