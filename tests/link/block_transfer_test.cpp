#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/block_transfer.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
namespace {

const Bytes kData = {0x11, 0x22, 0x33};
// 0x8A is the XOR of 07 34 12 AB 11 22 33.
const Bytes kFrame = {0x03, 0x07, 0x34, 0x12, 0xAB, 0x11, 0x22, 0x33, 0x8A};

bool Send(LinkRig& rig, const BlockRules& rules = kMainFlashBlocks, std::uint8_t bank = 0xAB) {
    return SendBlock(rig.link, bank, 0x1234, kData, rules);
}

bool OnlyFillers(const Bytes& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

TEST(SendBlockTest, SendsTheFrameWithItsCheckByteAndTakesTheAnswer) {
    LinkRig rig;
    rig.farEnd.On(kFrame, {'0'});
    EXPECT_TRUE(Send(rig));
    EXPECT_EQ(rig.farEnd.received, kFrame);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(SendBlockTest, AnAnswerAfterOneAndAHalfSecondsIsAcceptedWithoutResynchronising) {
    LinkRig rig(kEarlyInSecond);
    rig.farEnd.On(kFrame, {'0'}, 1'500'000);
    EXPECT_TRUE(Send(rig));
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_EQ(rig.farEnd.received, kFrame);  // no fillers, no resend
}

TEST(SendBlockTest, AWrongAnswerResynchronisesAndSendsTheFrameOnceMore) {
    LinkRig rig;
    rig.farEnd.On(kFrame, {'f'}, 1000, 1)
        .On({0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {'?'}, 1000, 1)
        .On(kFrame, {'0'});
    EXPECT_TRUE(Send(rig));
    ASSERT_EQ(rig.farEnd.Count(kFrame), 2);
    const Bytes& got = rig.farEnd.received;
    const Bytes between(got.begin() + kFrame.size(), got.end() - kFrame.size());
    EXPECT_GE(between.size(), 5u);
    EXPECT_TRUE(OnlyFillers(between));
    EXPECT_TRUE(std::equal(kFrame.begin(), kFrame.end(), got.end() - kFrame.size()));
    // Fillers go out one a millisecond at most.
    for (std::size_t i = kFrame.size() + 1; i < kFrame.size() + between.size(); ++i)
        EXPECT_GE(rig.farEnd.receivedAtUs[i] - rig.farEnd.receivedAtUs[i - 1], 1000);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

// A doubled answer (noise on the line) leaves one '0' on its way when the next block goes out.
// Read while that block is still being sent, it cannot be the block's answer; taken for it, a
// block the loader refused would count as staged and a hole would be committed to flash.
TEST(SendBlockTest, AnAnswerReadWhileTheFrameIsStillGoingOutIsNotItsAnswer) {
    LinkRig rig;
    // The same block at 0x1235; 0x8B is the XOR of 07 35 12 AB 11 22 33.
    const Bytes next = {0x03, 0x07, 0x35, 0x12, 0xAB, 0x11, 0x22, 0x33, 0x8B};
    rig.farEnd.On(kFrame, {'0', '0'})
        .On(next, {'?'}, 1000, 1)
        .On({0xFF}, {'?'}, 1000, 1)
        .On(next, {'0'});
    EXPECT_TRUE(Send(rig));
    EXPECT_TRUE(SendBlock(rig.link, 0xAB, 0x1235, kData));
    EXPECT_EQ(rig.farEnd.Count(next), 2);
}

TEST(SendBlockTest, AnAnswerThatNeverComesFailsAfterTwoPlusFiveSecondsWithOneBeep) {
    LinkRig rig;
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(Send(rig));
    EXPECT_GE(rig.SecondsSince(start), 5.0);
    EXPECT_LE(rig.SecondsSince(start), 7.0);
    EXPECT_EQ(rig.notifier.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
    EXPECT_EQ(rig.farEnd.Count(kFrame), 1);
    EXPECT_TRUE(
        OnlyFillers(Bytes(rig.farEnd.received.begin() + kFrame.size(), rig.farEnd.received.end())));
}

TEST(SendBlockTest, AResentFrameThatIsNotAcceptedFailsWithOneBeep) {
    LinkRig rig;
    rig.farEnd.On(kFrame, {'f'}).On({0xFF, 0xFF, 0xFF}, {'?'}, 1000, 1);
    EXPECT_FALSE(Send(rig));
    EXPECT_EQ(rig.farEnd.Count(kFrame), 2);  // never a third time
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(SendBlockTest, TheStopFlagSetBeforeTheCallStillWritesTheFrameOnce) {
    LinkRig rig;
    rig.stopSession = true;
    rig.farEnd.On(kFrame, {'0'}, 50'000);
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(Send(rig));
    EXPECT_GE(rig.SecondsSince(start), 0.3);  // the pause before giving up
    EXPECT_LT(rig.SecondsSince(start), 0.35);
    rig.clock.AdvanceBy(10 * kSecondUs);
    EXPECT_EQ(rig.farEnd.received, kFrame);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(SendBlockTest, TheStopFlagSeenWhileWaitingFailsTheBlock) {
    LinkRig rig;
    const std::int64_t start = rig.clock.NowUs();
    rig.pump.onPump = [&] {
        if (rig.clock.NowUs() - start > 100'000)
            rig.stopSession = true;
    };
    EXPECT_FALSE(Send(rig));
    EXPECT_LT(rig.SecondsSince(start), 0.5);
    EXPECT_EQ(rig.farEnd.received, kFrame);
}

TEST(SendBlockTest, TheGraphicsRulesFailAtOnceOnTheStopFlag) {
    LinkRig rig;
    rig.stopSession = true;
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(Send(rig, kGraphicsBlocks));
    EXPECT_LT(rig.SecondsSince(start), 0.05);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(SendBlockTest, TheStopFlagIsNotWatchedDuringTheResend) {
    LinkRig rig;
    rig.farEnd.On(kFrame, {'f'}, 1000, 1).On({0xFF, 0xFF, 0xFF}, {'?'}, 1000, 1).OnDo(kFrame, [&] {
        rig.stopSession = true;
        rig.farEnd.Say({'0'}, 100'000);
    });
    EXPECT_TRUE(Send(rig));
}

TEST(SendBlockTest, BlocksTheFrameCannotCarryAreRefusedWithoutSending) {
    LinkRig rig;
    rig.farEnd.On({0x03}, {'0'});
    EXPECT_FALSE(SendBlock(rig.link, 0xAB, 0, std::vector<std::uint8_t>(252, 0x11)));
    EXPECT_FALSE(SendBlock(rig.link, 0xAB, 0, {}));
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_TRUE(rig.farEnd.received.empty());
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(SendBlockTest, TheLargestBlockFillsTheLengthByte) {
    LinkRig rig;
    const std::vector<std::uint8_t> data(251, 0x5A);
    // An odd count of 0x5A bytes XORs to 0x5A.
    const Bytes frame = Cat({{0x03, 0xFF, 0x00, 0x80, 0x81},
                             data,
                             {static_cast<std::uint8_t>(0x5A ^ 0xFF ^ 0x00 ^ 0x80 ^ 0x81)}});
    rig.farEnd.On(frame, {'0'});
    EXPECT_TRUE(SendBlock(rig.link, 0x81, 0x8000, data));
    EXPECT_EQ(rig.farEnd.received, frame);
}

TEST(SendBlockTest, BanksBelow0x80AreSkippedByTheModuleAndGraphicsSendersOnly) {
    for (const BlockRules* rules : {&kMpeg4Blocks, &kGraphicsBlocks}) {
        LinkRig rig;
        EXPECT_TRUE(Send(rig, *rules, 0x7F));
        rig.clock.AdvanceBy(kSecondUs);
        EXPECT_TRUE(rig.farEnd.received.empty());
    }
    for (const BlockRules* rules : {&kMainFlashBlocks, &kFpgaBlocks, &kMpeg4Blocks}) {
        LinkRig rig;
        const std::uint8_t bank = rules == &kMpeg4Blocks ? 0x80 : 0x7F;
        const Bytes frame = {0x03, 0x07, 0x34,
                             0x12, bank, 0x11,
                             0x22, 0x33, static_cast<std::uint8_t>(0x8A ^ 0xAB ^ bank)};
        rig.farEnd.On(frame, {'0'});
        EXPECT_TRUE(Send(rig, *rules, bank));
        EXPECT_EQ(rig.farEnd.received, frame);
    }
}

}  // namespace
}  // namespace kell::testing
