#include <gtest/gtest.h>

#include "payloads/payloads.h"
#include "tests/firmware/firmware_rig.h"
#include "tests/firmware/image_model.h"

namespace kell::testing {
namespace {

TEST(ProgramMainFirmwareTest, TheEmbeddedImageLandsInTheFlashByteForByte) {
    FirmwareRig rig(EmbeddedText());
    rig.pagePresent = FlagsOf(payloads::kMainFirmwarePages);
    rig.stopSession = true;  // the step starts a session's stop flag afresh
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    // Without new plans, page 30's records are neither streamed nor committed.
    PageFlags committed = FlagsOf(payloads::kMainFirmwarePages);
    committed[30] = false;
    EXPECT_EQ(rig.pagePresent, committed);
    ASSERT_EQ(rig.loader.commits.size(), 1u);
    EXPECT_EQ(rig.loader.commits[0], committed);
    EXPECT_EQ(Differences(rig.loader.flash, ImageOf(rig.hexText, committed)), "");
    // Loader stages, erase, stream, commit, erase again.
    EXPECT_EQ(rig.loader.log.substr(0, 4), "12RE");
    EXPECT_EQ(rig.loader.log.substr(rig.loader.log.size() - 3), "CRE");
    EXPECT_EQ(rig.Barra_progreso.position, 0);
    EXPECT_EQ(rig.ProgressBar_general.position, 0);
    EXPECT_EQ(rig.overallPosition, 120);
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
}

// A small firmware: pages 0 and 2, and a record in the first channel-plan page.
std::string SmallImage() {
    return UpperAddressLine(0x00) + DataRun(0x0000, 8) + UpperAddressLine(0x02) +
           DataRun(0x4000, 3) + UpperAddressLine(0x1E) + DataRun(0x0000, 1) + EndOfFileLine();
}

struct SmallRig : FirmwareRig {
    SmallRig() : FirmwareRig(SmallImage()) { FlagPages({0, 2, 30}); }
    int BlocksIn(std::uint8_t bank) const {
        int n = 0;
        for (const auto& block : loader.blocks)
            n += block.bank == bank;
        return n;
    }
};

TEST(ProgramMainFirmwareTest, NewPlansStreamTheirPageAndSendTheTableWhichIsCommitted) {
    SmallRig rig;
    rig.plansSelected = true;
    rig.plansTypeIsZero = true;
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_TRUE(rig.pagePresent[30] && rig.pagePresent[31]);  // marked in the main window's
    EXPECT_EQ(rig.BlocksIn(0xC9), 1 + 512);  // the firmware's record, then the table's
    EXPECT_EQ(rig.BlocksIn(0xCA), 63);
    ASSERT_EQ(rig.loader.commits.size(), 1u);
    EXPECT_TRUE(rig.loader.commits[0][30] && rig.loader.commits[0][31]);
    const auto table = payloads::ChannelPlan(0);
    const auto* page31 = rig.loader.flash.Find(31);
    ASSERT_NE(page31, nullptr);
    EXPECT_EQ((*page31)[0], table[65536]);
}

TEST(ProgramMainFirmwareTest, WithoutNewPlansNoTableIsSentAndNoCodeRecorded) {
    SmallRig rig;
    rig.pagePresent[31] = true;
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_FALSE(rig.pagePresent[30] || rig.pagePresent[31]);
    EXPECT_EQ(rig.BlocksIn(0xC9), 0);
    EXPECT_FALSE(rig.loader.commits.at(0)[30]);
}

TEST(ProgramMainFirmwareTest, AfterTheFpgaStepTheLoaderRunsAndOnlyTheFinalEraseIsMade) {
    SmallRig rig;
    rig.checkFpga = true;
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.loader.log.find_first_of("12"), std::string::npos);
    EXPECT_EQ(rig.loader.log.find('E'), rig.loader.log.find('C') + 2);  // C R E
    for (int k = 48; k <= 52; ++k)
        EXPECT_TRUE(rig.loader.commits.at(0)[static_cast<std::size_t>(k)]);
}

TEST(ProgramMainFirmwareTest, PicturesOneAndTwoFrameTheStreamWhenTheLoaderTakesThem) {
    SmallRig rig;
    rig.loader.stage1Answer = {'J', 0x90, 0x00, 0x00};
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    const std::string& log = rig.loader.log;
    const std::size_t clear = log.find('G');
    ASSERT_NE(clear, std::string::npos);
    // Clear, 150 picture blocks, ready + erase, 3 firmware blocks, 150 picture blocks, commit.
    EXPECT_EQ(log.substr(clear), "G" + std::string(150, 'B') + "RE" + std::string(3, 'B') +
                                     std::string(150, 'B') + "CRE");
    EXPECT_EQ(rig.BlocksIn(0x90) + rig.BlocksIn(0x91), 300);
}

TEST(ProgramMainFirmwareTest, ALinkThatIsDownFailsTheStepWithCode20) {
    SmallRig rig;
    rig.connected = false;
    rig.Barra_progreso.SetPosition(40);
    EXPECT_FALSE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 20);
    EXPECT_EQ(rig.loader.log, "");
    EXPECT_EQ(rig.Barra_progreso.position, 0);
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
}

TEST(ProgramMainFirmwareTest, EachFailureRecordsItsCodeOnlyWhenNoneIsRecorded) {
    SmallRig erase;
    erase.loader.readyAnswer = {};
    EXPECT_FALSE(erase.Make().ProgramMainFirmware());
    EXPECT_EQ(erase.resultCode, 20);
    EXPECT_TRUE(erase.loader.blocks.empty());

    SmallRig stream;
    stream.loader.refuse = [](const ScriptedLoader::Block& b) { return b.bank == 0xAD; };
    EXPECT_FALSE(stream.Make().ProgramMainFirmware());
    EXPECT_EQ(stream.resultCode, 20);
    EXPECT_TRUE(stream.loader.commits.empty());

    SmallRig table;
    table.plansSelected = true;
    table.loader.refuse = [](const ScriptedLoader::Block& b) {
        return b.bank == 0xC9 && b.address == 128;
    };
    EXPECT_FALSE(table.Make().ProgramMainFirmware());
    EXPECT_EQ(table.resultCode, 21);

    SmallRig earlier;
    earlier.resultCode = 5;
    earlier.plansSelected = true;
    earlier.loader.refuse = table.loader.refuse;
    EXPECT_FALSE(earlier.Make().ProgramMainFirmware());
    EXPECT_EQ(earlier.resultCode, 5);
}

TEST(ProgramMainFirmwareTest, AStopRequestAfterTheTableSkipsTheCommitWithCode22) {
    SmallRig rig;
    rig.plansSelected = true;
    rig.pump.onPump = [&] {
        if (rig.loader.blocks.size() == 4 + 575)  // the stream and the table
            rig.stopSession = true;
    };
    EXPECT_FALSE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 22);
    EXPECT_TRUE(rig.loader.commits.empty());
    EXPECT_EQ(rig.loader.log.substr(rig.loader.log.size() - 2), "RE");  // still erased
}

TEST(ProgramMainFirmwareTest, ASilentCommitFailsAfterTenMinutesWithCode23) {
    SmallRig rig;
    rig.loader.commitAnswer = {};
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 23);
    EXPECT_GT(rig.SecondsSince(start), 600);
    EXPECT_LT(rig.SecondsSince(start), 620);
}

}  // namespace
}  // namespace kell::testing
