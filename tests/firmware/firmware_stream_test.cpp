#include <gtest/gtest.h>

#include "tests/firmware/firmware_rig.h"

namespace kell::testing {
namespace {

using Sizes = std::vector<std::size_t>;

// Segment 2 (bank 0xAD) flagged, with the given records, then the end of the text.
FirmwareRig StreamRig(const std::string& records) {
    return FirmwareRig(UpperAddressLine(0x02) + records + EndOfFileLine());
}

TEST(StreamFirmwareTest, ContiguousRecordsGoOutInRunsOfJustOverTwoHundredBytes) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 16));
    rig.FlagPages({2});
    EXPECT_TRUE(rig.Make().StreamFirmware());
    // 7 records make 224 bytes, the first run over 200; the last 2 records go with the end.
    EXPECT_EQ(rig.BlockSizes(), (Sizes{224, 224, 64}));
    ASSERT_EQ(rig.loader.blocks.size(), 3u);
    EXPECT_EQ(rig.loader.blocks[1].address, 0x1000 + 224);
    EXPECT_EQ(rig.loader.blocks[1].bank, 0xAD);
    EXPECT_EQ(rig.loader.blocks[1].data, Counting(224, (0x1000 + 224) & 0xFF));
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(StreamFirmwareTest, ARecordThatDoesNotContinueTheRunStartsANewOne) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 3) + DataRun(0x2000, 2));
    rig.FlagPages({2});
    EXPECT_TRUE(rig.Make().StreamFirmware());
    ASSERT_EQ(rig.BlockSizes(), (Sizes{96, 64}));
    EXPECT_EQ(rig.loader.blocks[0].address, 0x1000);
    EXPECT_EQ(rig.loader.blocks[1].address, 0x2000);
}

TEST(StreamFirmwareTest, AnExtendedAddressSendsThePendingRunAtTheOldBankFirst) {
    FirmwareRig rig(UpperAddressLine(0x02) + DataRun(0xFFC0, 2) + UpperAddressLine(0x03) +
                    DataRun(0x0000, 1) + EndOfFileLine());
    rig.FlagPages({2, 3});
    EXPECT_TRUE(rig.Make().StreamFirmware());
    ASSERT_EQ(rig.loader.blocks.size(), 2u);
    EXPECT_EQ(rig.loader.blocks[0].bank, 0xAD);
    EXPECT_EQ(rig.loader.blocks[0].address, 0xFFC0);
    EXPECT_EQ(rig.loader.blocks[0].data.size(), 64u);
    EXPECT_EQ(rig.loader.blocks[1].bank, 0xAE);
    EXPECT_EQ(rig.loader.blocks[1].address, 0x0000);
}

TEST(StreamFirmwareTest, OnlyTheRecordsOfFlaggedPagesAfterTheFirstExtendedAddressAreSent) {
    FirmwareRig rig(DataRun(0x0000, 2) + UpperAddressLine(0x00) + DataRun(0x0100, 1) +
                    UpperAddressLine(0x05) + DataRun(0x0200, 1) + UpperAddressLine(0x40) +
                    DataRun(0x0300, 1) + EndOfFileLine());
    rig.FlagPages({0});  // page 0 is also what bank 0 would name without the bank check
    EXPECT_TRUE(rig.Make().StreamFirmware());
    ASSERT_EQ(rig.loader.blocks.size(), 1u);
    EXPECT_EQ(rig.loader.blocks[0].bank, 0xAB);
    EXPECT_EQ(rig.loader.blocks[0].address, 0x0100);
}

TEST(StreamFirmwareTest, ARefusedLastRunFailsTheStream) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 9));
    rig.FlagPages({2});
    rig.loader.refuse = [](const ScriptedLoader::Block& b) { return b.address == 0x1000 + 224; };
    EXPECT_FALSE(rig.Make().StreamFirmware());
    EXPECT_EQ(rig.BlockSizes(), (Sizes{224}));
    EXPECT_EQ(rig.loader.refusedBlocks, 2);  // sent, resynchronised, sent once more
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(StreamFirmwareTest, ABadRecordBeepsAndEndsTheStream) {
    std::string bad = HexLine(0x00, 0x1020, Counting(32));
    bad[bad.size() - 3] ^= 1;  // the checksum's last digit
    FirmwareRig rig = StreamRig(DataRun(0x1000, 1) + bad + DataRun(0x1040, 1));
    rig.FlagPages({2});
    EXPECT_FALSE(rig.Make().StreamFirmware());
    EXPECT_TRUE(rig.loader.blocks.empty());
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(StreamFirmwareTest, ATextWithoutItsEndRecordFailsWhenItRunsOut) {
    FirmwareRig rig(UpperAddressLine(0x02) + DataRun(0x1000, 2));
    rig.FlagPages({2});
    EXPECT_FALSE(rig.Make().StreamFirmware());
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(StreamFirmwareTest, NoReaderFailsWithABeepInsteadOfStreaming) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 2));
    rig.FlagPages({2});
    MainWindowLoan loan = rig.Loan();
    loan.hexReader = nullptr;
    EXPECT_FALSE(TCDiferencial(rig.session, loan).StreamFirmware());
    EXPECT_TRUE(rig.loader.blocks.empty());
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST(StreamFirmwareTest, TheStopFlagEndsTheStreamAfterAPause) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 40));
    rig.FlagPages({2});
    rig.pump.onPump = [&] {
        if (rig.loader.blocks.size() == 2)
            rig.stopSession = true;
    };
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(rig.Make().StreamFirmware());
    EXPECT_EQ(rig.loader.blocks.size(), 2u);
    EXPECT_GE(rig.SecondsSince(start), 0.3);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(StreamFirmwareTest, BothBarsFollowTheRecords) {
    FirmwareRig rig = StreamRig(DataRun(0x1000, 8));  // 10 records
    rig.FlagPages({2});
    rig.overallPosition = 300;
    std::vector<int> step, overall;
    rig.pump.onPump = [&] {
        step.push_back(rig.Barra_progreso.position);
        overall.push_back(rig.ProgressBar_general.position);
    };
    EXPECT_TRUE(rig.Make().StreamFirmware());
    EXPECT_EQ(rig.Barra_progreso.maximum, 10);
    // The bars are set before the pump that follows each record (block waits pump too).
    ASSERT_FALSE(step.empty());
    EXPECT_EQ(step.back(), 9);
    EXPECT_EQ(overall.back(), 300 + 9 * 120 / 10);
    EXPECT_TRUE(std::is_sorted(overall.begin(), overall.end()));
}

}  // namespace
}  // namespace kell::testing
