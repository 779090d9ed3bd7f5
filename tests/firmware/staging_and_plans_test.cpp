#include <gtest/gtest.h>

#include "payloads/payloads.h"
#include "tests/firmware/firmware_rig.h"

namespace kell::testing {
namespace {

TEST(EraseStagingTest, AsksForTheLoaderThenErasesTheStagingArea) {
    FirmwareRig rig;
    EXPECT_TRUE(rig.Make().EraseStaging());
    EXPECT_EQ(rig.loader.readyRequests, 1);
    EXPECT_EQ(rig.loader.erases, 1);
    EXPECT_EQ(rig.loader.badFrames, 0);  // the erase frame's XOR is right
}

TEST(EraseStagingTest, FiveUnansweredRequestsFailWithoutTheEraseFrame) {
    FirmwareRig rig;
    rig.loader.readyAnswer = {'x'};
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(rig.Make().EraseStaging());
    EXPECT_EQ(rig.loader.readyRequests, 5);
    EXPECT_EQ(rig.loader.erases, 0);
    EXPECT_GE(rig.SecondsSince(start), 5 * 0.5);  // the pause after every try
}

TEST(EraseStagingTest, AnAnswerAfterMoreThanTwoWholeSecondsIsAFailedTry) {
    FirmwareRig rig;
    rig.loader.answerDelayUs = 2'700'000;  // from mid-second: 3 whole seconds later
    EXPECT_FALSE(rig.Make().EraseStaging());
    EXPECT_EQ(rig.loader.readyRequests, 5);
}

TEST(EraseStagingTest, TheEraseFrameIsTriedThreeTimes) {
    FirmwareRig rig;
    rig.loader.eraseAnswer = {'q'};
    EXPECT_FALSE(rig.Make().EraseStaging());
    EXPECT_EQ(rig.loader.readyRequests, 1);
    EXPECT_EQ(rig.loader.erases, 3);
}

TEST(PlanTableTest, TypeZeroGoesOutIn575BlocksSpillingIntoTheNextBankFromAddressZero) {
    FirmwareRig rig;
    rig.plansType = 0;
    EXPECT_TRUE(rig.Make().SendPlanTable());
    const auto& blocks = rig.loader.blocks;
    ASSERT_EQ(blocks.size(), 575u);
    EXPECT_EQ(blocks.back().data.size(), 124u);
    EXPECT_EQ(blocks[511].bank, 0xC9);
    EXPECT_EQ(blocks[511].address, 65408);
    EXPECT_EQ(blocks[512].bank, 0xCA);
    EXPECT_EQ(blocks[512].address, 0);
    EXPECT_EQ(blocks[574].address, 574 * 128 - 65536);
    // The table arrives whole, in order.
    Bytes sent;
    for (const auto& block : blocks)
        sent.insert(sent.end(), block.data.begin(), block.data.end());
    const auto table = payloads::ChannelPlan(0);
    EXPECT_EQ(sent, Bytes(table.begin(), table.end()));
    EXPECT_EQ(rig.Barra_progreso.maximum, 73596);
    EXPECT_EQ(rig.Barra_progreso.position, 574 * 128);
}

TEST(PlanTableTest, ARefusedBlockOrAnUnknownPlanTypeFails) {
    FirmwareRig refused;
    refused.plansType = 4;
    refused.loader.refuse = [](const ScriptedLoader::Block& b) { return b.address == 256; };
    EXPECT_FALSE(refused.Make().SendPlanTable());
    EXPECT_EQ(refused.loader.blocks.size(), 2u);

    FirmwareRig unknown;
    unknown.plansType = 7;
    EXPECT_FALSE(unknown.Make().SendPlanTable());
    EXPECT_TRUE(unknown.loader.blocks.empty());
}

}  // namespace
}  // namespace kell::testing
