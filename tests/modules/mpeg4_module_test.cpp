// The MPEG4 module update against the scripted instrument.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "link/loader_blocks.h"
#include "modules/mpeg4_module.h"
#include "payloads/payloads.h"
#include "tests/modules/module_rig.h"

namespace kell::testing {
namespace {

constexpr std::int64_t kSeconds = kSecondUs;

Bytes Counting(std::size_t length, std::uint8_t seed) {
    Bytes bytes(length);
    std::iota(bytes.begin(), bytes.end(), seed);
    return bytes;
}

Bytes Held(const ScriptedInstrument& instrument, std::uint32_t start, std::size_t length) {
    const auto bytes = instrument.modules.Memory(start, length);
    return Bytes(bytes.begin(), bytes.end());
}

struct Mpeg4Rig : ModuleRig {
    // Small images of 450 and 70 bytes keep the closing stages' tests quick.
    explicit Mpeg4Rig(bool usaUnit = false)
        : application(Counting(450, 1)),
          second(Counting(70, 100)),
          module(session, graficos, usaUnit, {application, second}) {}

    bool Update() {
        const bool updated = module.Update();
        clock.AdvanceBy(100'000);
        return updated;
    }

    Bytes application;
    Bytes second;
    TGraficos graficos;
    TMpeg4 module;
};

TEST(Mpeg4ModuleTest, TheEmbeddedImagesLandByteForByteAndTheModuleIsStartedWithTheirLength) {
    ModuleRig rig;
    TGraficos graficos;
    TMpeg4 module(rig.session, graficos, false);
    ASSERT_TRUE(module.Update());

    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_EQ(rig.instrument.modules.badFrames, 0);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    const auto application = payloads::Mpeg4Application();
    const auto second = payloads::Mpeg4SecondImage();
    EXPECT_EQ(Held(rig.instrument, 0xB00000, application.size()),
              Bytes(application.begin(), application.end()));
    EXPECT_EQ(Held(rig.instrument, 0x810000, second.size()), Bytes(second.begin(), second.end()));

    const auto& blocks = rig.instrument.modules.blocks;
    ASSERT_EQ(blocks.size(), 22180u + 678u);
    // A block that runs past the end of its bank goes whole to its start.
    EXPECT_EQ(blocks[327].bank, 0xB0);
    EXPECT_EQ(blocks[327].address, 65400);
    EXPECT_EQ(blocks[328].bank, 0xB1);
    EXPECT_EQ(blocks[328].address, 64);
    EXPECT_EQ(blocks[22179].bank, 0xF3);
    EXPECT_EQ(blocks[22179].length, 12u);
    EXPECT_EQ(blocks[22180].bank, 0x81);
    EXPECT_EQ(blocks[22180].length, 32u);
    EXPECT_EQ(blocks.back().length, 12u);

    const auto& commands = rig.instrument.modules.commands;
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0], (Bytes{0x07, 0x03, 0xD0, 0xE8, 0x03 ^ 0xD0 ^ 0xE8}));
    EXPECT_EQ(commands[1], (Bytes{0x0D, 0xD0}));
    EXPECT_EQ(commands[2], (Bytes{0xCC, 0x00, 0x00, 0x20, 0x00, 0x64, 0xAF, 0x43, 0x00}));
    EXPECT_EQ(rig.overallPosition, 220);
}

TEST(Mpeg4ModuleTest, AUsaUnitsModuleIsStartedWith0x4C) {
    Mpeg4Rig rig(/*usaUnit=*/true);
    ASSERT_TRUE(rig.Update());
    EXPECT_EQ(rig.instrument.modules.Commands(0x4C),
              (std::vector<Bytes>{{0x4C, 0x00, 0x00, 0x20, 0x00, 0xC2, 0x01, 0x00, 0x00}}));
    EXPECT_EQ(Held(rig.instrument, 0xB00000, 450), rig.application);
    EXPECT_EQ(Held(rig.instrument, 0x810000, 70), rig.second);
}

TEST(Mpeg4ModuleTest, AFinishAfterTheNominalTimeStillSucceedsWithTheBarsStoppedThere) {
    Mpeg4Rig rig;
    rig.instrument.modules.finishDelayUs = 1500 * kSeconds;
    ASSERT_TRUE(rig.Update());
    EXPECT_EQ(rig.Barra_progreso.maximum, 950);
    EXPECT_EQ(rig.Barra_progreso.position, 949);
    EXPECT_EQ(rig.ProgressBar_general.position, 220 + 949 * 420 / 950);
}

TEST(Mpeg4ModuleTest, TheLineReturnsToTheLowSpeedAfterTheStartFrameUnlessUnder64BitWindows) {
    for (bool wow64 : {false, true}) {
        SCOPED_TRACE(wow64 ? "64-bit Windows" : "32-bit Windows");
        Mpeg4Rig rig;
        std::vector<int> bauds;
        std::size_t commandsThen = 0;
        rig.session.IsWow64 = [wow64] { return wow64; };
        rig.session.SetPortBaud = [&](int baud) {
            bauds.push_back(baud);
            commandsThen = rig.instrument.modules.commands.size();
            return true;
        };
        ASSERT_TRUE(rig.Update());
        EXPECT_EQ(bauds, wow64 ? std::vector<int>{} : std::vector<int>{115200});
        if (!wow64) {
            EXPECT_EQ(commandsThen, 3u);  // after the start frame
        }
    }
}

// Every failure records its code and ends the update before the next stage.
TEST(Mpeg4ModuleTest, FailuresRecordTheirStagesCodes) {
    struct Case {
        const char* name;
        std::function<void(Mpeg4Rig&)> arrange;
        int code;
        std::size_t commands;  // staging clear(s), then 0D D0 and the start frame
        std::size_t beeps;
        double minSeconds;
    };
    const Case cases[] = {
        {"the staging area is not cleared in three tries",
         [](Mpeg4Rig& rig) {
             rig.instrument.modules.eraseAnswers = {ScriptedModule::Answer{'x', 1000}, std::nullopt,
                                                    ScriptedModule::Answer{'f', 1000}};
         },
         12, 3, 3, 9},
        {"an application block is refused",
         [](Mpeg4Rig& rig) { rig.instrument.modules.refuseFromBlock = 1; }, 12, 1, 1, 0},
        {"stop during the application",
         [](Mpeg4Rig& rig) {
             rig.pump.onPump = [&rig] { rig.stopSession = !rig.instrument.modules.blocks.empty(); };
         },
         12, 1, 0, 0},
        {"a block of the second image is refused",
         [](Mpeg4Rig& rig) { rig.instrument.modules.refuseFromBlock = 3; }, 13, 1, 1, 0},
        {"stop during the second image",
         [](Mpeg4Rig& rig) {
             rig.pump.onPump = [&rig] {
                 rig.stopSession = !rig.instrument.modules.blocks.empty() &&
                                   rig.instrument.modules.blocks.back().bank == 0x81;
             };
         },
         13, 1, 0, 0},
        {"no answer to the start command within 60 s",
         [](Mpeg4Rig& rig) { rig.instrument.modules.startAnswerDelayUs.reset(); }, 15, 2, 0, 59},
        {"no 0xBB within 1900 s",
         [](Mpeg4Rig& rig) { rig.instrument.modules.finishDelayUs.reset(); }, 15, 3, 0, 1899},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mpeg4Rig rig;
        c.arrange(rig);
        EXPECT_FALSE(rig.Update());
        EXPECT_EQ(rig.resultCode, c.code);
        EXPECT_EQ(rig.instrument.modules.commands.size(), c.commands);
        EXPECT_EQ(rig.notifier.beeps.size(), c.beeps);
        EXPECT_GE(rig.SecondsSinceStart(), c.minSeconds);
        EXPECT_LT(rig.SecondsSinceStart(), c.minSeconds + 30);
    }
}

TEST(Mpeg4ModuleTest, PicturesShowAroundTheImagesAndAStopAfterTheSecondImageRecords14) {
    Mpeg4Rig rig;
    rig.graficos.enabled = true;
    rig.graficos.firstBank = 0x90;
    std::size_t secondImageEnd = 0;
    rig.pump.onPump = [&] {
        const auto& blocks = rig.instrument.modules.blocks;
        if (!secondImageEnd && !blocks.empty() && blocks.back().bank == 0x81 &&
            rig.module.bytesSent == 70)
            secondImageEnd = blocks.size();
        // A picture block after the second image: picture 4 is on its way.
        rig.stopSession = secondImageEnd && blocks.size() > secondImageEnd;
    };
    EXPECT_FALSE(rig.Update());
    EXPECT_EQ(rig.resultCode, 14);

    const auto& blocks = rig.instrument.modules.blocks;
    // The raster cleared, picture 3 (150 blocks), the images, the start of picture 4.
    EXPECT_EQ(rig.instrument.modules.commands[1],
              (Bytes{0x07, 0x03, 0x90, 0x92, 0x03 ^ 0x90 ^ 0x92}));
    ASSERT_GT(blocks.size(), 150u + 3 + 3);
    EXPECT_GE(blocks[149].bank, 0x90);
    EXPECT_EQ(blocks[150].bank, 0xB0);
    EXPECT_EQ(blocks[153].bank, 0x81);
    EXPECT_GE(blocks[156].bank, 0x90);
    EXPECT_TRUE(rig.instrument.modules.Commands(0x0D).empty());
}

TEST(Mpeg4ModuleTest, PatchLoaderBlockSetsBytes249To251OfTheThirdBlock) {
    Bytes blocks = Counting(TBoot::kTotalLength, 0);
    TBoot::ReplaceBlocks(blocks);
    ModuleRig rig;
    TGraficos graficos;
    TMpeg4 module(rig.session, graficos, false);
    EXPECT_TRUE(module.PatchLoaderBlock());

    const auto third = TBoot().Block3();
    Bytes expected(blocks.end() - TBoot::kBlock3Length, blocks.end());
    expected[249] = 0x03;
    expected[250] = 0x20;
    expected[251] = 0x41;
    EXPECT_EQ(Bytes(third.begin(), third.end()), expected);
    TBoot::RestorePristine();
}

}  // namespace
}  // namespace kell::testing
