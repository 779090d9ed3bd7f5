#include <gtest/gtest.h>

#include "tests/firmware/firmware_rig.h"

namespace kell::testing {
namespace {

TEST(CommitFlashTest, NamesTheFlaggedPagesAndFollowsTheProgressToTheClosingPair) {
    FirmwareRig rig;
    rig.FlagPages({0, 2, 30});
    rig.overallPosition = 500;
    std::vector<int> step;
    rig.pump.onPump = [&] { step.push_back(rig.Barra_progreso.position); };
    EXPECT_TRUE(rig.Make().CommitFlash());
    ASSERT_EQ(rig.loader.commits.size(), 1u);  // the frame's XOR was right
    std::array<bool, 64> expected{};
    expected[0] = expected[2] = expected[30] = true;
    EXPECT_EQ(rig.loader.commits[0], expected);
    EXPECT_EQ(rig.Barra_progreso.maximum, 64);
    // AB .. C8 while writing are 0 .. 29; the first 80 while writing is ignored.
    EXPECT_EQ(rig.Barra_progreso.position, 0xC8 - 171);
    EXPECT_EQ(rig.ProgressBar_general.position, 500 + 29 * 180 / 64);
    EXPECT_EQ(step[4], 0);  // after 8A 8A 8B 8B AB
    EXPECT_EQ(step[5], 1);  // AC
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(CommitFlashTest, ProgressBeforeTheWritingModeCountsFromSix) {
    FirmwareRig rig;
    rig.loader.commitAnswer = {0x8A, 0x8A, 0x05, 0x10, 0x8B, 0x8B, 0x80, 0x80};
    std::vector<int> step;
    rig.pump.onPump = [&] { step.push_back(rig.Barra_progreso.position); };
    EXPECT_TRUE(rig.Make().CommitFlash());
    EXPECT_EQ(step[2], 0);         // 05 while erasing
    EXPECT_EQ(step[3], 0x10 - 6);  // 10 while erasing
}

TEST(CommitFlashTest, AnUnexpectedFirstAnswerBeepsAndFails) {
    FirmwareRig rig;
    rig.loader.commitAnswer = {0x81, 0x80, 0x80};
    EXPECT_FALSE(rig.Make().CommitFlash());
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(CommitFlashTest, ThePagesOfTheFpgaSetAreAddedWhenTheFpgaStepRan) {
    FirmwareRig rig;
    rig.checkFpga = true;
    rig.FlagPages({2});
    EXPECT_TRUE(rig.Make().CommitFlash());
    ASSERT_EQ(rig.loader.commits.size(), 1u);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(rig.loader.commits[0][static_cast<std::size_t>(k)],
                  k == 2 || (k >= 48 && k <= 52))
            << k;
}

TEST(CommitFlashTest, ASilentOrEndlessLoaderFailsTenMinutesAfterTheFrame) {
    FirmwareRig silent;
    silent.loader.commitAnswer = {};
    const std::int64_t start = silent.clock.NowUs();
    EXPECT_FALSE(silent.Make().CommitFlash());
    EXPECT_NEAR(silent.SecondsSince(start), 600, 1);
    EXPECT_TRUE(silent.notifier.beeps.empty());

    // A loader that keeps reporting progress and never closes.
    FirmwareRig endless;
    endless.loader.commitAnswer = {0x8B, 0x8B};
    endless.pump.onPump = [&] { endless.loader.Say({0xC0}); };
    const std::int64_t from = endless.clock.NowUs();
    EXPECT_FALSE(endless.Make().CommitFlash());
    EXPECT_NEAR(endless.SecondsSince(from), 600, 1);
}

}  // namespace
}  // namespace kell::testing
