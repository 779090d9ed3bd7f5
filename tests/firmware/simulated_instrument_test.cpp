// The main firmware step against the simulated instrument, which checks every frame from its
// own side of the protocol and really changes its flash on the commit.
#include <gtest/gtest.h>

#include "link/device_queries.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"
#include "tests/firmware/firmware_rig.h"
#include "tests/firmware/image_model.h"

namespace kell::testing {
namespace {

// The rig's line, with the simulated instrument at its far end instead of the scripted loader.
struct SimRig : FirmwareRig {
    explicit SimRig(sim::Scenario scenario)
        : FirmwareRig(EmbeddedText(), 115200), instrument(clock, clock, line, std::move(scenario)) {
        line.Attach(&instrument);
        pagePresent = FlagsOf(payloads::kMainFirmwarePages);
    }
    // The instrument goes before the channel closes the port: it must not hear of it.
    ~SimRig() { line.Attach(nullptr); }

    // Where the instrument's flash differs from the image's data in the flagged pages.
    std::string FlashDifferences(const PageFlags& flagged) const {
        std::string out;
        const SparseFlash image = ImageOf(hexText, flagged);
        for (const auto& [segment, bank] : image.Banks()) {
            const auto flash = instrument.FlashSegment(static_cast<std::uint8_t>(segment));
            int differing = 0;
            for (std::size_t i = 0; i < bank.size(); ++i)
                differing += bank[i] >= 0 && bank[i] != flash.at(i);
            if (differing)
                out += "segment " + std::to_string(segment) + ": " + std::to_string(differing) +
                       " bytes differ; ";
        }
        return out;
    }

    // The version the instrument reports, read as the identification reads it.
    std::string ReportedVersion() {
        auto text = [this](std::uint16_t address) {
            std::array<std::int16_t, 3> words{};
            ReadWords(link, address, words, 0x18, 6);
            std::string s;
            for (std::size_t i = 0; i < 6 && ReplyByte(words, i) != 0; ++i)
                s += static_cast<char>(ReplyByte(words, i));
            return s;
        };
        return text(0x0010) + "." + text(0x0016);
    }

    // The finish bytes restart the instrument; it is silent for a while.
    void Restart() {
        const std::array<std::uint8_t, 2> finish{0x0F, 0x00};
        channel.Write(finish.data(), 2);
        clock.SleepMs(5000);
    }

    sim::Instrument instrument;
};

PageFlags WithoutPlanPage() {
    PageFlags flags = FlagsOf(payloads::kMainFirmwarePages);
    flags[30] = false;
    return flags;
}

TEST(SimulatedInstrumentTest, ProgramsTheFirmwareWhichTheInstrumentReportsAfterARestart) {
    SimRig rig(sim::scenarios::NeedsFullUpdate());
    ASSERT_EQ(rig.ReportedVersion(), "1.89.00000");
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_TRUE(rig.instrument.Violations().Empty()) << rig.instrument.Report(40);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_EQ(rig.FlashDifferences(WithoutPlanPage()), "");
    EXPECT_TRUE(rig.graficos.enabled);  // the instrument takes pictures at its raster
    EXPECT_EQ(rig.graficos.firstBank, 0x98);

    rig.Restart();
    EXPECT_EQ(rig.instrument.Restarts(), 1);
    EXPECT_EQ(rig.ReportedVersion(), "2.04.00000");
}

TEST(SimulatedInstrumentTest, WithNewPlansTheTableGoesOverThePlanPages) {
    sim::Scenario scenario = sim::scenarios::PlanTypeZeroOldPlan();
    scenario.firmwareRelease = "1.89";
    SimRig rig(std::move(scenario));
    rig.plansSelected = rig.plansTypeIsZero = true;
    rig.plansType = 0;
    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_TRUE(rig.instrument.Violations().Empty()) << rig.instrument.Report(40);
    const auto table = payloads::ChannelPlan(0);
    EXPECT_EQ(rig.instrument.Flash(0x1E0000, table.size()), Bytes(table.begin(), table.end()));
}

TEST(SimulatedInstrumentTest, AnInstrumentInBootstrapModeIsBroughtUpAndProgrammed) {
    SimRig rig(sim::scenarios::Bootstrap());
    // The connection's probe finds the processor in its bootstrap mode.
    const std::uint8_t probe = 0x00;
    rig.channel.Write(&probe, 1);
    std::uint8_t answer = 0;
    rig.clock.SleepMs(10);
    ASSERT_EQ(rig.channel.Read(&answer, 1), 1u);
    ASSERT_EQ(answer, 0xD5);

    EXPECT_TRUE(rig.Make().StartBootstrapLoader());
    EXPECT_TRUE(rig.instrument.LoaderRunning());
    const auto& uploaded = rig.instrument.Loader();
    EXPECT_EQ(uploaded.bootstrapBlock1,
              Bytes(rig.Make().boot.Block1().begin(), rig.Make().boot.Block1().end()));
    EXPECT_EQ(uploaded.bootstrapBlock3.size(), 968u);

    EXPECT_TRUE(rig.Make().ProgramMainFirmware());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_TRUE(rig.instrument.Violations().Empty()) << rig.instrument.Report(40);
    EXPECT_EQ(rig.FlashDifferences(WithoutPlanPage()), "");
    rig.Restart();
    EXPECT_EQ(rig.ReportedVersion(), "2.04.00000");
}

}  // namespace
}  // namespace kell::testing
