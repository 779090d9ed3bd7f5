#include <gtest/gtest.h>

#include "modules/graphics.h"
#include "payloads/payloads.h"
#include "tests/firmware/loader_line.h"

namespace kell::testing {
namespace {

struct GraphicsRig : LoaderLine {
    GraphicsRig() {
        graficos.enabled = true;
        graficos.firstBank = 0x90;
        graficos.baseAddress = 0;
    }
    const std::vector<ScriptedLoader::Block>& Blocks() const { return loader.blocks; }

    TGraficos graficos;
};

Bytes LowBytes(int picture) {
    const auto cells = payloads::PictureCells(picture);
    Bytes bytes;
    for (std::size_t i = 0; i < cells.size(); i += 2)
        bytes.push_back(cells[i]);
    return bytes;
}

TEST(GraphicsTest, NothingIsSentWhileThePicturesAreDisabled) {
    GraphicsRig rig;
    rig.graficos.enabled = false;
    rig.graficos.ClearGraphicsArea(rig.link, rig.clock.Seconds());
    rig.graficos.SendPicture(rig.link, 1);
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_EQ(rig.loader.log, "");
}

TEST(GraphicsTest, AClearFrameNamesTheRastersBanksAndTakesItsAnswer) {
    GraphicsRig rig;
    rig.graficos.ClearGraphicsArea(rig.link, rig.clock.Seconds());
    ASSERT_EQ(rig.loader.clearFrames.size(), 1u);
    EXPECT_EQ(rig.loader.clearFrames[0], (Bytes{0x07, 0x03, 0x90, 0x92, 0x03 ^ 0x90 ^ 0x92}));
    EXPECT_TRUE(rig.notifier.beeps.empty());

    GraphicsRig wrong;
    wrong.loader.clearAnswer = {'x'};
    wrong.graficos.ClearGraphicsArea(wrong.link, wrong.clock.Seconds());
    EXPECT_EQ(wrong.notifier.beeps.size(), 1u);
}

TEST(GraphicsTest, TheClearFramesWaitEndsThirtySecondsAfterTheStepStart) {
    GraphicsRig rig;
    rig.loader.clearAnswer = {};
    const std::int64_t start = rig.clock.NowUs();
    rig.graficos.ClearGraphicsArea(rig.link, rig.clock.Seconds() - 10);
    EXPECT_NEAR(rig.SecondsSince(start), 21, 1);  // more than 30 whole seconds since the start
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(GraphicsTest, APictureIs150BlocksOfItsBytesAlternatingTwoHundredAndOneHundred) {
    GraphicsRig rig;
    rig.graficos.SendPicture(rig.link, 2);
    ASSERT_EQ(rig.Blocks().size(), 150u);
    Bytes sent;
    for (std::size_t i = 0; i < rig.Blocks().size(); ++i) {
        const auto& block = rig.Blocks()[i];
        EXPECT_EQ(block.data.size(), i % 2 == 0 ? 200u : 100u) << i;
        sent.insert(sent.end(), block.data.begin(), block.data.end());
    }
    EXPECT_EQ(sent, LowBytes(2));
    // Row 82, column 85 is where picture 2 begins.
    EXPECT_EQ(rig.Blocks()[0].address, 2 * 85 + 640 * 82);
}

TEST(GraphicsTest, BlocksMoveToTheNextBankWhenTheyStartInIt) {
    GraphicsRig rig;
    rig.graficos.SendPicture(rig.link, 1);
    ASSERT_EQ(rig.Blocks().size(), 150u);
    // Raster row 102 is the picture's row 20: blocks 40 (column 85) and 41 (column 185).
    const auto& left = rig.Blocks()[40];
    const auto& right = rig.Blocks()[41];
    EXPECT_EQ(left.bank, 0x90);
    EXPECT_EQ(left.address, 65450);
    EXPECT_EQ(left.data.size(), 200u);  // runs past the bank's end, sent whole
    EXPECT_EQ(right.bank, 0x91);
    EXPECT_EQ(right.address, 114);
    EXPECT_EQ(rig.Blocks().back().bank, 0x91);
}

TEST(GraphicsTest, BlocksOfBanksBelow0x80AreNotSent) {
    GraphicsRig rig;
    rig.graficos.firstBank = 0x7F;
    rig.graficos.SendPicture(rig.link, 1);
    ASSERT_EQ(rig.Blocks().size(), 150u - 41u);
    EXPECT_EQ(rig.Blocks()[0].bank, 0x80);
    EXPECT_EQ(rig.Blocks()[0].address, 114);
}

TEST(GraphicsTest, PicturesThreeAndFourSitLower) {
    GraphicsRig rig;
    rig.graficos.baseAddress = 0x0100;
    rig.graficos.SendPicture(rig.link, 4);
    ASSERT_FALSE(rig.Blocks().empty());
    const std::uint32_t linear = 0x0100 + 2 * 85 + 640 * 132;
    EXPECT_EQ(rig.Blocks()[0].bank, 0x90 + (linear >> 16));
    EXPECT_EQ(rig.Blocks()[0].address, linear & 0xFFFF);
}

TEST(GraphicsTest, TheStopFlagEndsAPictureBetweenBlocks) {
    GraphicsRig rig;
    rig.pump.onPump = [&] {
        if (rig.Blocks().size() == 10)
            rig.stopSession = true;
    };
    rig.graficos.SendPicture(rig.link, 1);
    EXPECT_EQ(rig.Blocks().size(), 10u);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(GraphicsTest, ARefusedBlockIsSkippedAndThePictureGoesOn) {
    GraphicsRig rig;
    rig.loader.refuse = [](const ScriptedLoader::Block& b) {
        return b.address == 2 * 85 + 640 * 83;
    };
    rig.graficos.SendPicture(rig.link, 1);
    EXPECT_EQ(rig.Blocks().size(), 149u);
    EXPECT_EQ(rig.loader.refusedBlocks, 2);
}

// An instrument that stops taking blocks half-way through a picture would have every block
// left wait out its answer and resynchronisation, 7 s each. Two failures in a row end it.
TEST(GraphicsTest, TwoFailedBlocksInARowEndThePicture) {
    GraphicsRig rig;
    rig.loader.refuse = [](const ScriptedLoader::Block& b) { return b.address >= 640 * 90; };
    rig.graficos.SendPicture(rig.link, 1);
    EXPECT_EQ(rig.Blocks().size(), 16u);  // rows 82 to 89
    EXPECT_EQ(rig.loader.refusedBlocks, 2 * 2);

    GraphicsRig gone;
    gone.line.Unplug();
    const std::int64_t start = gone.clock.NowUs();
    gone.graficos.SendPicture(gone.link, 2);
    EXPECT_LT(gone.SecondsSince(start), 2 * (2 + 5) + 1.0);
}

}  // namespace
}  // namespace kell::testing
