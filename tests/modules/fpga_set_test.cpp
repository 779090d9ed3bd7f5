// The write of the FPGA configuration set against the scripted instrument.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "modules/fpga_dialog.h"
#include "modules/fpga_staging.h"
#include "payloads/payloads.h"
#include "tests/modules/module_rig.h"
#include "tests/support/expected_fpga_set.h"

namespace kell::testing {
namespace {

constexpr std::uint32_t kStaging = 0xDB0000;

Bytes Flags(int first, int last) {
    Bytes flags(64, 0);
    for (int k = first; k <= last; ++k)
        flags[k] = 1;
    return flags;
}

struct FpgaRig : ModuleRig {
    explicit FpgaRig(int count = 3, bool mainFirmwareSelected = false,
                     std::int64_t startUs = kMidSecond)
        : ModuleRig(startUs), dialog(session, mainFirmwareSelected) {
        dialog.count = count;
        pump.onPump = [this] { statusTexts.insert(dialog.Lbl_estado_fpga.caption); };
    }
    // The write, and the time its last bytes take to reach the instrument.
    bool Write() {
        const bool written = dialog.RunWrite();
        clock.AdvanceBy(100'000);
        return written;
    }
    Bytes Staged(std::size_t length) const {
        const auto bytes = instrument.modules.Memory(kStaging, length);
        return Bytes(bytes.begin(), bytes.end());
    }
    TCFpga dialog;
    std::set<std::string> statusTexts;
};

TEST(FpgaSetTest, ThreeConfigurationsAreStagedByteForByteAndCommittedToSectors48To52) {
    FpgaRig rig;
    rig.overallPosition = 100;
    ASSERT_TRUE(rig.Write());

    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_EQ(rig.instrument.modules.badFrames, 0);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_EQ(rig.Staged(kThreeFpgaSetLength), ExpectedFpgaSet(3));
    EXPECT_EQ(rig.instrument.modules.Memory(kStaging + kThreeFpgaSetLength, 1)[0], 0xFF);

    const auto& blocks = rig.instrument.modules.blocks;
    ASSERT_EQ(blocks.size(), 1097u);
    EXPECT_EQ(blocks.back().length, 96u);
    // The block at 65500 runs past its bank's end and is still addressed at its start.
    EXPECT_EQ(blocks[262].bank, 0xDB);
    EXPECT_EQ(blocks[262].address, 65500);
    EXPECT_EQ(blocks[262].length, 250u);
    EXPECT_EQ(blocks[263].bank, 0xDC);
    EXPECT_EQ(blocks[263].address, 214);

    // Erase, commit, closing command, in that order.
    const auto& commands = rig.instrument.modules.commands;
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0], (Bytes{0x07, 0x03, 0xDB, 0xE0, 0x03 ^ 0xDB ^ 0xE0}));
    EXPECT_EQ(Bytes(commands[1].begin() + 2, commands[1].end() - 1), Flags(48, 52));
    EXPECT_EQ(commands[2], (Bytes{0x0F, 0xF0}));

    EXPECT_EQ(rig.Barra_progreso.maximum, static_cast<int>(kThreeFpgaSetLength));
    EXPECT_EQ(rig.ProgressBar_general.position, 100 + 274000 * 25 / 274096);
    for (const char* text : {"Borrando mem.", "Enviando : 0 / 274096", "Enviando : 274000 / 274096",
                             "Grabando flash", "Borrando sect.", "Grabando segm."})
        EXPECT_TRUE(rig.statusTexts.count(text)) << text;
    EXPECT_FALSE(rig.dialog.imageBuffer);
}

TEST(FpgaSetTest, TwoConfigurationsEndAtBank0xDEAndCommitSectors48To50) {
    FpgaRig rig(2);
    ASSERT_TRUE(rig.Write());

    EXPECT_EQ(rig.Staged(kTwoFpgaSetLength), ExpectedFpgaSet(2));
    const auto& commands = rig.instrument.modules.commands;
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0], (Bytes{0x07, 0x03, 0xDB, 0xDE, 0x03 ^ 0xDB ^ 0xDE}));
    EXPECT_EQ(Bytes(commands[1].begin() + 2, commands[1].end() - 1), Flags(48, 50));
}

TEST(FpgaSetTest, WithTheMainFirmwareSelectedTheSetStaysStagedForItsCommit) {
    FpgaRig rig(3, /*mainFirmwareSelected=*/true);
    ASSERT_TRUE(rig.Write());

    EXPECT_EQ(rig.Staged(kThreeFpgaSetLength), ExpectedFpgaSet(3));
    EXPECT_TRUE(rig.instrument.modules.Commands(0x09).empty());
    EXPECT_TRUE(rig.instrument.modules.Commands(0x0F).empty());
}

TEST(FpgaStagingTest, AnEraseAnswerAfterMoreThanTwoSecondsIsAFailedTry) {
    // Started off the polls' millisecond grid, so that one poll of the first try spans the
    // moment its third whole second begins, and takes a 'p' that arrives just after it.
    const std::int64_t secondStart = kMidSecond - 500'000;
    ModuleRig rig(kMidSecond + 2'000);
    rig.instrument.modules.eraseAnswers = {std::nullopt};
    rig.clock.At(secondStart + 3 * kSecondUs - 50, [&rig] {
        const std::uint8_t p = 'p';
        rig.line.SendToHost(&p, 1);
    });
    Label status;
    EXPECT_TRUE(EraseFpgaStaging(rig.session.link, kThreeFpgaSetLength, status));

    EXPECT_EQ(rig.instrument.modules.Commands(0x07).size(), 2u);
    EXPECT_EQ(rig.instrument.modules.refusalBytes, 0);
}

TEST(FpgaStagingTest, AWrongEraseAnswerIsRefusedWith0xAAAndTriedAgain) {
    ModuleRig rig;
    rig.instrument.modules.eraseAnswers = {ScriptedModule::Answer{'x', 10'000}};
    Label status;
    EXPECT_TRUE(EraseFpgaStaging(rig.session.link, kThreeFpgaSetLength, status));

    EXPECT_EQ(rig.instrument.modules.Commands(0x07).size(), 2u);
    EXPECT_EQ(rig.instrument.modules.refusalBytes, 1);
}

TEST(FpgaSetTest, FiveFailedErasesRecordCode17AndSendNothingMore) {
    FpgaRig rig;
    rig.instrument.modules.eraseAnswers.assign(5, std::nullopt);
    EXPECT_FALSE(rig.Write());

    EXPECT_EQ(rig.resultCode, 17);
    EXPECT_EQ(rig.instrument.modules.Commands(0x07).size(), 5u);
    EXPECT_EQ(rig.instrument.modules.blockFrames, 0u);
    EXPECT_EQ(rig.instrument.modules.commands.size(), 5u);
}

TEST(FpgaSetTest, ARefusedBlockRecordsCode18AndEndsTheWrite) {
    FpgaRig rig;
    rig.instrument.modules.refuseFromBlock = 10;
    EXPECT_FALSE(rig.Write());

    EXPECT_EQ(rig.resultCode, 18);
    EXPECT_EQ(rig.instrument.modules.blocks.size(), 10u);
    EXPECT_TRUE(rig.instrument.modules.Commands(0x09).empty());
}

// How the commit's status bytes end it. A silent or endless commit ends after ten minutes
// instead of holding the step for ever.
TEST(FpgaStagingTest, TheCommitEndsOnTwo0x80AndFailsOnAStrayByteBeforeTheCopyOrOnSilence) {
    struct Case {
        const char* name;
        Bytes status;
        bool succeeds;
        double minSeconds;
        std::int64_t gapUs = 200'000;
    };
    const Case cases[] = {
        {"erasing, programming, done", {0x8A, 0x8A, 0x8B, 0x8B, 0x80, 0x80}, true, 0},
        {"a stray byte once erasing is ignored", {0x8A, 0x8A, 0x81, 0x80, 0x80}, true, 0},
        {"a first 0x81 fails", {0x81, 0x80, 0x80}, false, 0},
        {"a single 0x8A does not start the copy", {0x8A, 0x81}, false, 0},
        {"silence ends after ten minutes", {}, false, 599.5},
        {"endless progress ends after ten minutes", Bytes(14000, 0x8A), false, 599.5, 50'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleRig rig;
        rig.instrument.modules.commitStatus = c.status;
        rig.instrument.modules.commitGapUs = c.gapUs;
        Label status;
        EXPECT_EQ(CommitFpgaSet(rig.session.link, kThreeFpgaSetLength, status), c.succeeds);
        EXPECT_EQ(rig.notifier.beeps.size(), c.succeeds ? 0u : 1u);
        EXPECT_GE(rig.SecondsSinceStart(), c.minSeconds);
        EXPECT_LT(rig.SecondsSinceStart(), c.minSeconds + 2);
    }
}

// A failed commit used to record code 19 and report success all the same, so that the session
// went on and could end reporting a good update.
TEST(FpgaSetTest, AFailedCommitFailsTheWriteWithCode19AndStillSendsTheClosingCommand) {
    FpgaRig rig;
    rig.instrument.modules.commitStatus = {0x81};
    EXPECT_FALSE(rig.Write());
    EXPECT_EQ(rig.resultCode, 19);
    EXPECT_EQ(rig.instrument.modules.commands.back(), (Bytes{0x0F, 0xF0}));
    EXPECT_FALSE(rig.dialog.imageBuffer);
}

TEST(FpgaSetTest, NoConfigurationsSendsNothing) {
    FpgaRig rig(0);
    EXPECT_FALSE(rig.Write());
    EXPECT_TRUE(rig.instrument.modules.commands.empty());
    EXPECT_EQ(rig.instrument.modules.blockFrames, 0u);
}

TEST(FpgaSetTest, CancelSendsTheClosingCommandAndCloses) {
    FpgaRig rig;
    rig.dialog.visible = true;
    rig.dialog.Button_cancelClick();
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_EQ(rig.instrument.modules.commands, (std::vector<Bytes>{{0x0F, 0xF0}}));
    EXPECT_FALSE(rig.dialog.visible);
}

}  // namespace
}  // namespace kell::testing
