#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "link/block_transfer.h"
#include "link/device_queries.h"
#include "link/loader_frames.h"
#include "link/module_versions.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
namespace {

// On a closed channel every read gives nothing and every write does nothing: each routine must
// run its waits to their limits and fail, and none may hang.
struct ClosedChannelTest : ::testing::Test {
    void SetUp() override { rig.channel.Close(); }

    // Runs `routine` and returns how long it took, in virtual seconds.
    template <typename Routine>
    double Timed(Routine routine) {
        const std::int64_t start = rig.clock.NowUs();
        routine();
        return rig.SecondsSince(start);
    }

    LinkRig rig;
};

TEST_F(ClosedChannelTest, QueriesFailByTimeOut) {
    std::array<std::int16_t, 8> words;
    words.fill(0x1111);
    EXPECT_LE(Timed([&] { ReadWords(rig.link, 0x6000, words, 0x00, 16); }), 5.1);
    EXPECT_EQ(words, (std::array<std::int16_t, 8>{}));

    bool ok = true;
    EXPECT_LE(Timed([&] { EXPECT_EQ(ReadParameter(rig.link, kParameter571, &ok), 0); }), 5.1);
    EXPECT_FALSE(ok);  // a closed channel writes nothing, which is not a failed write

    std::array<std::uint8_t, 2> buffer = {1, 0};
    EXPECT_LE(Timed([&] { EXPECT_FALSE(QueryPeripheral(rig.link, 0x3F, buffer, 12, 1, 1)); }),
              15.1);
    EXPECT_FALSE(CheckPeripheralStatus(rig.link, false));
    EXPECT_EQ(ReadIdentity(rig.link), "00000000000000");
    EXPECT_EQ(ReadLevelAverage(rig.link), 0);

    ModuleVersions versions;
    EXPECT_LE(Timed([&] { ReadModuleVersions(rig.link, versions); }), 10.1);
    EXPECT_EQ(versions.softwareVersion, 0x00FF);
}

TEST_F(ClosedChannelTest, ABlockFailsAfterItsTwoWaitsWithABeep) {
    const std::vector<std::uint8_t> data(200, 0x42);
    EXPECT_LE(Timed([&] { EXPECT_FALSE(SendBlock(rig.link, 0xAB, 0, data)); }), 7.1);
    EXPECT_EQ(rig.notifier.beeps.size(), 1u);
}

TEST_F(ClosedChannelTest, LoaderFramesFailByTimeOutButTheCallSucceeds) {
    const std::vector<std::uint8_t> data(300, 0x42);
    ProgressBar bar;
    EXPECT_LE(Timed([&] { EXPECT_FALSE(SendLoaderBlocks(rig.link, 300, data, bar)); }), 10.1);
    EXPECT_TRUE(SendLoaderCall(rig.link, 2, data, 0, 0));
    EXPECT_LE(Timed([&] { EXPECT_FALSE(BlankLoaderBlock(rig.link)); }), 2.1);
    EXPECT_LE(Timed([&] { EXPECT_FALSE(EraseFlashSector(rig.link, 3)); }), 10.1);
    EXPECT_LE(Timed([&] { EXPECT_FALSE(ProgramFlashSector(rig.link, 300, data, 30, 0, 0)); }),
              100.1);
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_TRUE(rig.farEnd.received.empty());
}

}  // namespace
}  // namespace kell::testing
