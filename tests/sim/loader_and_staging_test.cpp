#include <gtest/gtest.h>

#include "sim/named_scenarios.h"
#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"
#include "tests/sim/start_loader.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

TEST(SimLoader, BootstrapUploadStartsTheLoader) {
    VirtualRig rig(scenarios::Bootstrap());
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0xD5});
    rig.Send(Bytes(32, 0xA1));
    rig.Wait(100);  // the PC pauses between the two uploads
    rig.Send(Bytes(968, 0xA3));
    EXPECT_EQ(rig.Receive(1, 30'000), Bytes{0xAD});
    EXPECT_TRUE(rig.instrument->LoaderRunning());
    EXPECT_EQ(rig.instrument->Loader().bootstrapBlock1, Bytes(32, 0xA1));
    EXPECT_EQ(rig.instrument->Loader().bootstrapBlock3, Bytes(968, 0xA3));
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimLoader, StageOneAnnouncesTheRasterAndStageTwoEndsWithAD) {
    Scenario s;
    s.graphics.firstBank = 0x9C;
    s.graphics.baseAddress = 0x1234;
    VirtualRig rig(s);
    Bytes stage1 = {0x04, 0x90, 0x00};
    stage1.resize(147, 0x5A);
    EXPECT_EQ(rig.Exchange(stage1, 4), (Bytes{'J', 0x9C, 0x12, 0x34}));
    Bytes stage2 = {0x04, 0xC8, 0x03};
    stage2.resize(971, 0x00);
    stage2[3 + 249] = 0x03;  // patched bytes travel as sent
    // The PC sends stage 2 in 4-byte pieces a millisecond apart.
    for (std::size_t i = 0; i < stage2.size(); i += 4) {
        rig.Send(Bytes(stage2.begin() + i, stage2.begin() + std::min(i + 4, stage2.size())));
        rig.Wait(1);
    }
    Bytes answer = rig.Receive(2, 20'000);
    ASSERT_EQ(answer.size(), 2u);
    EXPECT_EQ(answer[1], 0xAD);
    EXPECT_EQ(rig.instrument->Loader().stage2Block[249], 0x03);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();

    Scenario plain;
    plain.graphics.enabled = false;
    VirtualRig noPictures(plain);
    EXPECT_EQ(noPictures.Exchange(stage1, 4, 500), Bytes{'@'});
}

TEST(SimStaging, EraseThenBlocksAreAcceptedAndChecked) {
    VirtualRig rig;
    StartLoader(rig);
    EXPECT_EQ(rig.Exchange({0xAA}, 1), Bytes{'f'});
    EXPECT_EQ(rig.Exchange(testing::StagingErase(0xAB, 0xC9), 1, 5000), Bytes{'p'});
    // The example block of the protocol: 03 07 34 12 AB 11 22 33 8A.
    Bytes block = testing::Block(0xAB, 0x1234, {0x11, 0x22, 0x33});
    EXPECT_EQ(block.back(), 0x8A);
    EXPECT_EQ(rig.Exchange(block, 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Staging(0xAB1234, 3), (Bytes{0x11, 0x22, 0x33}));
    // The same block again (a resend) is harmless.
    EXPECT_EQ(rig.Exchange(block, 1), Bytes{'0'});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();

    // A block that runs past its bank's end goes on into the next bank.
    EXPECT_EQ(rig.Exchange(testing::Block(0xAC, 0xFFFE, {1, 2, 3, 4}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Staging(0xACFFFE, 4), (Bytes{1, 2, 3, 4}));

    // Within one boot a later block may overwrite an earlier one (the plan table goes over the
    // firmware's own plan page).
    EXPECT_EQ(rig.Exchange(testing::Block(0xAB, 0x1234, {0x00, 0x00, 0x44}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Staging(0xAB1234, 3), (Bytes{0x00, 0x00, 0x44}));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();

    // A wrong check byte is refused with '?' and nothing is written.
    Bytes bad = testing::Block(0xAB, 0x2000, {0x55});
    bad.back() ^= 1;
    EXPECT_EQ(rig.Exchange(bad, 1), Bytes{'?'});
    EXPECT_EQ(rig.instrument->Staging(0xAB2000, 1), Bytes{0xFF});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadChecksum), 1u);

    // A staging erase with a wrong XOR is refused.
    Bytes badErase = testing::StagingErase(0xDB, 0xE0);
    badErase[4] ^= 0xFF;
    EXPECT_EQ(rig.Exchange(badErase, 1), Bytes{'?'});
}

TEST(SimStaging, StagingLeftFromBeforeARestartMustBeErased) {
    VirtualRig rig;
    StartLoader(rig);
    rig.Exchange(testing::Block(0xB0, 0x0000, {1, 2}), 1);
    rig.instrument->Restart();
    rig.Wait(3000);
    StartLoader(rig);
    EXPECT_EQ(rig.Exchange(testing::Block(0xB0, 0x0100, {3}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::NotErased), 1u);
    // Erased, the bank takes blocks again; an untouched bank never complains.
    rig.Exchange(testing::StagingErase(0xB0, 0xB0), 1);
    EXPECT_EQ(rig.Exchange(testing::Block(0xB0, 0x0100, {3}), 1), Bytes{'0'});
    EXPECT_EQ(rig.Exchange(testing::Block(0xB1, 0x0100, {3}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::NotErased), 1u);
}

TEST(SimStaging, PictureRasterTakesRewritesWithoutErase) {
    VirtualRig rig;  // raster from bank 0x98, base 0
    StartLoader(rig);
    EXPECT_EQ(rig.Exchange(testing::StagingErase(0x98, 0x9A), 1), Bytes{'p'});
    EXPECT_EQ(rig.Exchange(testing::Block(0x98, 0x0100, {0x12, 0x34}), 1), Bytes{'0'});
    EXPECT_EQ(rig.Exchange(testing::Block(0x98, 0x0100, {0xAB, 0xCD}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Staging(0x980100, 2), (Bytes{0xAB, 0xCD}));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimStaging, RefusedBlockThenFillersGetOneQuestionMark) {
    Scenario s;
    s.faults.push_back({Event::Block, Action::Refuse, 1, 1, {}, 0});
    VirtualRig rig(s);
    StartLoader(rig);
    Bytes block = testing::Block(0xAB, 0x0000, {0x42});
    EXPECT_EQ(rig.Exchange(block, 1), Bytes{'?'});
    // The PC purges, drains, then sends fillers one per millisecond until it reads '?'.
    Bytes got;
    int fillers = 0;
    while (got.empty() && fillers < 50) {
        rig.Send({0xFF});
        ++fillers;
        rig.Wait(1);
        got = rig.Receive(1, 0);
    }
    EXPECT_EQ(got, Bytes{'?'});
    EXPECT_EQ(fillers, 1);
    // Fillers still on their way get no second '?'.
    rig.Send({0xFF});
    EXPECT_TRUE(rig.Receive(1, 5).empty());
    EXPECT_EQ(rig.Exchange(block, 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Staging(0xAB0000, 1), Bytes{0x42});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimCommit, CopiesStagedPagesIntoFlashWithProgress) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.region = "EUR";
    VirtualRig rig(s);
    StartLoader(rig);
    // A new firmware version in page 0x18, an FPGA directory in page 48.
    rig.Exchange(testing::StagingErase(0xAB, 0xC9), 1, 5000);
    rig.Exchange(testing::StagingErase(0xDB, 0xE0), 1, 5000);
    Bytes version = testing::Text("2.04");
    version.insert(version.end(), {0, 0});
    Bytes build = testing::Text("00000");
    build.push_back(0);
    ASSERT_EQ(rig.Exchange(testing::Block(0x18 + 0xAB, 0x0010, version), 1), Bytes{'0'});
    ASSERT_EQ(rig.Exchange(testing::Block(0x18 + 0xAB, 0x0016, build), 1), Bytes{'0'});
    Bytes directory(16, 0x00);
    directory[0] = 3;
    directory[2 + 8] = 4;
    directory[2 + 9] = 3;
    ASSERT_EQ(rig.Exchange(testing::Block(0xDB, 0x0000, directory), 1), Bytes{'0'});

    Bytes progress = rig.Exchange(testing::Commit({24, 48}), 12, 10'000);
    EXPECT_EQ(progress,
              (Bytes{0x8A, 0x8A, 24 + 6, 48 + 6, 0x8B, 0x8B, 0xAB + 24, 0xAB + 48, 0x80, 0x80}));
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    // The region text is kept apart from the firmware page.
    EXPECT_EQ(rig.instrument->Memory().RegionText(), "EUR");
    // The staged pages were taken: the next stream finds them erased.
    EXPECT_EQ(rig.instrument->Staging(0xC30010, 1), Bytes{0xFF});

    // After the finish bytes and the restart the reads report what was received.
    rig.Send({0x0F, 0x00});
    rig.Wait(static_cast<std::uint32_t>(s.timing.restartUs / 1000 + 100));
    EXPECT_EQ(rig.Exchange({0x00}, 1), Bytes{0x5D});
    Bytes release = rig.Exchange(testing::ReadWords(0x18, 0x0010, 6), 8);
    EXPECT_EQ(Bytes(release.begin() + 2, release.begin() + 6), testing::Text("2.04"));
    Bytes fpga = rig.Exchange(testing::ReadWords(0x30, 0x0000, 16), 18);
    EXPECT_EQ(fpga[2 + 11], 3);
    EXPECT_EQ(fpga[2 + 10], 4);
    Bytes region = rig.Exchange(testing::ReadWords(0x18, 0x0000, 16), 18);
    EXPECT_EQ(Bytes(region.begin() + 14, region.begin() + 17), testing::Text("EUR"));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
}

TEST(SimCommit, FlagForAnUnwrittenPageIsReported) {
    VirtualRig rig;
    StartLoader(rig);
    Bytes progress = rig.Exchange(testing::Commit({52}), 8, 10'000);
    EXPECT_EQ(progress.back(), 0x80);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::UnwrittenPage), 1u);
}

TEST(SimCommit, StalledCommitStopsAfterErasingAndLosesThePages) {
    Scenario s;
    s.faults.push_back({Event::Commit, Action::Stall, 1, 1, {}, 0});
    VirtualRig rig(s);
    StartLoader(rig);
    rig.Exchange(testing::Block(0xAB + 0x18, 0x0010, {'9'}), 1);
    Bytes progress = rig.Exchange(testing::Commit({24}), 10, 5'000);
    EXPECT_EQ(progress, (Bytes{0x8A, 0x8A, 24 + 6}));
    EXPECT_EQ(rig.instrument->Flash(0x180010, 1), Bytes{0xFF});

    Scenario wrong;
    wrong.faults.push_back({Event::Commit, Action::WrongAnswer, 1, 1, {0x81}, 0});
    VirtualRig other(wrong);
    StartLoader(other);
    EXPECT_EQ(other.Exchange(testing::Commit({}), 3, 2'000), Bytes{0x81});
}

TEST(SimLoader, BlocksBeforeTheLoaderAreReported) {
    VirtualRig rig;
    EXPECT_EQ(rig.Exchange(testing::Block(0xAB, 0, {1}), 1), Bytes{'0'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::OutOfSequence), 1u);
}

}  // namespace
}  // namespace kell::testing
