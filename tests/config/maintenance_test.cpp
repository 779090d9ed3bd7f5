#include <gtest/gtest.h>

#include "tests/config/config_rig.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;

std::vector<Bytes> FrameBytes(const ConfigRig& rig) {
    std::vector<Bytes> all;
    for (const auto& frame : rig.instrument.frames)
        all.push_back(frame.bytes);
    return all;
}

TEST(ClearIncidents, ClearsTheAreaThenSendsItsClosingBytes) {
    ConfigRig rig;
    auto window = rig.Window();
    EXPECT_TRUE(window->ClearIncidents());
    rig.clock.AdvanceBy(10'000);  // the closing bytes on the wire
    ASSERT_EQ(rig.instrument.frames.size(), 2u);
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0040, 190), Bytes(190, 0xFF));
    EXPECT_FALSE(rig.instrument.records.Eeprom('R', 8, 0x0040 + 190));
    EXPECT_EQ(rig.instrument.frames[1].bytes, (Bytes{0x0F, 0x00}));
}

TEST(ClearIncidents, SilenceBeepsAndFailsAfterTenSeconds) {
    ConfigRig rig(kEarlyInSecond);
    auto window = rig.Window();
    rig.instrument.records.answerFor = [](const Bytes&) { return Answer{}; };
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(window->ClearIncidents());
    EXPECT_EQ(rig.instrument.frames.size(), 1u);  // one try, no closing bytes
    EXPECT_EQ(rig.notifier.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
    EXPECT_GT(rig.clock.NowUs() - start, 10 * kSecondUs);
    EXPECT_LT(rig.clock.NowUs() - start, 11 * kSecondUs + 100'000);
}

TEST(EraseSector, EchoedSectorNumber) {
    ConfigRig rig;
    auto window = rig.Window();
    EXPECT_TRUE(window->EraseSector(39));
    EXPECT_EQ(FrameBytes(rig), (std::vector<Bytes>{{0x0C, 39}}));
    EXPECT_EQ(window->Panel_accion.caption, "Sector 39 borrado");
}

TEST(EraseSector, AnswerThatIsNotTheSectorFails) {
    ConfigRig rig;
    auto window = rig.Window();
    rig.instrument.records.answerFor = [](const Bytes& f) {
        return Answer{{std::uint8_t(f[1] + 1)}, 1000};
    };
    EXPECT_FALSE(window->EraseSector(40));
    EXPECT_EQ(window->Panel_accion.caption, "Error al borrar sector");
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(EraseSector, ClosedChannelFailsAtOnce) {
    ConfigRig rig;
    auto window = rig.Window();
    rig.channel.Close();
    const std::int64_t start = rig.clock.NowUs();
    EXPECT_FALSE(window->EraseSector(1));
    EXPECT_EQ(window->Panel_accion.caption, "Error al borrar sector");
    EXPECT_LT(rig.clock.NowUs() - start, kSecondUs);
}

TEST(EraseAreas, SectorsAndTexts) {
    struct Case {
        bool (TFParam_defecto::*erase)();
        std::vector<Bytes> frames;
        const char* success;
    };
    const Case cases[] = {
        {&TFParam_defecto::EraseTables, {{0x0C, 1}}, "Tablas borradas"},
        {&TFParam_defecto::EraseMemories, {{0x0C, 39}}, "Memorias borradas"},
        {&TFParam_defecto::EraseMacroMeasurements, {{0x0C, 40}}, "Macromedidas borradas"},
        {&TFParam_defecto::EraseLogs,
         {{0x0C, 43}, {0x0C, 44}, {0x0C, 45}, {0x0C, 46}},
         "Logs borrados"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.success);
        ConfigRig rig;
        auto window = rig.Window();
        EXPECT_TRUE(((*window).*c.erase)());
        EXPECT_EQ(FrameBytes(rig), c.frames);
        EXPECT_EQ(window->Panel_estado.caption, c.success);
    }
}

TEST(EraseAreas, LogsStopAtTheFirstFailingSector) {
    ConfigRig rig;
    auto window = rig.Window();
    rig.instrument.records.answerFor = [](const Bytes& f) -> std::optional<Answer> {
        if (f[1] == 44)
            return Answer{{0x00}, 1000};
        return std::nullopt;
    };
    EXPECT_FALSE(window->EraseLogs());
    EXPECT_EQ(FrameBytes(rig), (std::vector<Bytes>{{0x0C, 43}, {0x0C, 44}}));
    EXPECT_EQ(window->Panel_estado.caption, "Error al borrar logs");
}

TEST(SendBoots, RunsTheLoaderStagesUnlessInLoaderMode) {
    for (const bool loaderMode : {false, true}) {
        ConfigRig rig;
        InstrumentFacts facts = IdentifiedFacts();
        facts.loaderMode = loaderMode;
        auto window = rig.Window(facts);
        EXPECT_TRUE(window->SendBoots());
        EXPECT_EQ(rig.bootsSentAtFrame.size(), loaderMode ? 0u : 1u);
        EXPECT_EQ(window->Panel_accion.caption, "Enviando boots ...");
        EXPECT_EQ(rig.stepStartTime, rig.clock.Seconds());
    }
}

}  // namespace
}  // namespace kell::testing
