#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/loader_blocks.h"
#include "payloads/payloads.h"

namespace kell::testing {
namespace {

// Each test starts from known blocks and leaves the embedded ones behind.
struct LoaderBlocksTest : ::testing::Test {
    void SetUp() override {
        known.resize(TBoot::kTotalLength);
        for (std::size_t i = 0; i < known.size(); ++i)
            known[i] = static_cast<std::uint8_t>(i);
        TBoot::ReplaceBlocks(known);
    }
    void TearDown() override { TBoot::RestorePristine(); }

    std::vector<std::uint8_t> known;
};

TEST_F(LoaderBlocksTest, TheBlocksLieOneAfterAnother) {
    const TBoot boot;
    ASSERT_EQ(boot.Block1().size(), 32u);
    ASSERT_EQ(boot.Block2().size(), 144u);
    ASSERT_EQ(boot.Block3().size(), 968u);
    EXPECT_EQ(boot.Block1()[0], known[0]);
    EXPECT_EQ(boot.Block2()[0], known[32]);
    EXPECT_EQ(boot.Block3()[0], known[176]);
    EXPECT_EQ(boot.Block3().back(), known.back());
}

TEST_F(LoaderBlocksTest, APatchHoldsForEveryTBootEarlierOrLater) {
    const TBoot before;
    const std::uint8_t patch[] = {0x03, 0x20, 0x41};
    ASSERT_TRUE(TBoot::PatchLoaderBlock3(249, patch));
    const TBoot after;
    for (const TBoot* boot : {&before, &after}) {
        EXPECT_EQ(boot->Block3()[248], known[176 + 248]);
        EXPECT_EQ(boot->Block3()[249], 0x03);
        EXPECT_EQ(boot->Block3()[250], 0x20);
        EXPECT_EQ(boot->Block3()[251], 0x41);
        EXPECT_EQ(boot->Block3()[252], known[176 + 252]);
    }
    EXPECT_EQ(before.Block2().back(), known[175]);  // the other blocks are untouched
}

TEST_F(LoaderBlocksTest, APatchThatDoesNotFitChangesNothing) {
    const std::uint8_t two[] = {0xEE, 0xEE};
    EXPECT_FALSE(TBoot::PatchLoaderBlock3(967, two));
    EXPECT_FALSE(TBoot::PatchLoaderBlock3(5000, two));
    EXPECT_TRUE(TBoot::PatchLoaderBlock3(966, two));
    const TBoot boot;
    EXPECT_EQ(boot.Block3()[965], known[176 + 965]);
}

TEST_F(LoaderBlocksTest, BlocksOfTheWrongSizeAreNoBlocks) {
    TBoot::ReplaceBlocks(std::vector<std::uint8_t>(100, 0x11));
    const TBoot boot;
    EXPECT_TRUE(boot.Block1().empty());
    EXPECT_TRUE(boot.Block3().empty());
    const std::uint8_t one[] = {0x03};
    EXPECT_FALSE(TBoot::PatchLoaderBlock3(0, one));
}

TEST_F(LoaderBlocksTest, RestoringGivesBackTheEmbeddedBlocksWithoutThePatch) {
    TBoot::RestorePristine();
    const auto embedded = payloads::LoaderBlocks();
    if (embedded.size() != TBoot::kTotalLength)
        GTEST_SKIP() << "the program is built without its loader blocks";
    const std::uint8_t patch[] = {0x03, 0x20, 0x41};
    ASSERT_TRUE(TBoot::PatchLoaderBlock3(249, patch));
    TBoot::RestorePristine();
    const TBoot boot;
    EXPECT_TRUE(std::equal(boot.Block3().begin(), boot.Block3().end(), embedded.begin() + 176));
    EXPECT_TRUE(std::equal(boot.Block1().begin(), boot.Block1().end(), embedded.begin()));
}

}  // namespace
}  // namespace kell::testing
