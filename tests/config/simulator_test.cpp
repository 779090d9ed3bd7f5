#include <gtest/gtest.h>

#include <memory>

#include "config/channel_plan.h"
#include "config/param_defecto.h"
#include "link/loader_blocks.h"
#include "payloads/payloads.h"
#include "sim/instrument.h"
#include "tests/config/config_rig.h"
#include "tests/config/record_bytes.h"
#include "tests/support/simulated_end.h"

namespace kell::testing {
namespace {

// The updater's channel and session fields over the simulated instrument.
using SimulatorRig = UpdaterRig<SimulatedEnd>;

TEST(AgainstTheSimulator, ZoneStepAndClosingLeaveTheRecordsInTheParameterStore) {
    SimulatorRig s;
    TFParam_defecto holder(s.session, IdentifiedFacts());
    holder.BuildZoneRecords();
    ASSERT_TRUE(holder.WriteZoneConfiguration()) << s.instrument.Report();
    holder.SendClosingFrame();
    ASSERT_TRUE(holder.WriteUserBandsPrimary());
    ASSERT_TRUE(holder.WriteUserBandsSecondary());

    const sim::Instrument& instrument = s.instrument;
    const ConfigRecordAreas& areas = holder.areas;
    EXPECT_EQ(instrument.Eeprom('R', 8, 0x0300, 1024), Head(areas.profileArea, 1024));
    EXPECT_EQ(instrument.Eeprom('R', 8, 0x0100, 254), Head(areas.generalRecord, 254));
    EXPECT_EQ(instrument.Eeprom('R', 8, 0x0200, 254), Head(areas.generalRecord, 254));
    EXPECT_EQ(instrument.Eeprom('W', 3, 0x0300, 64), Head(areas.listRecord, 64));
    EXPECT_EQ(instrument.Eeprom('W', 3, 0x0380, 64), Head(areas.listRecord, 64));
    EXPECT_EQ(instrument.Eeprom('Q', 9, 0x1000, 128), Head(areas.userBandRecord, 128));
    EXPECT_EQ(instrument.Eeprom('Q', 9, 0x1200, 128), Head(areas.userBandRecord, 128));
    EXPECT_EQ(s.resultCode, 0);
    EXPECT_TRUE(instrument.Violations().Empty()) << instrument.Report();
}

// The simulator checks every configuration record it receives: the window's default boxes
// must give it real records, not the zeros of a fresh window.
TEST(AgainstTheSimulator, DefaultsWindowWritesRecordsTheInstrumentAccepts) {
    SimulatorRig s;
    InstrumentFacts facts = IdentifiedFacts();
    facts.accessLetter = kServiceAccessLetter;
    TFParam_defecto window(s.session, facts);
    window.check_grabar_perfiles.checked = true;
    window.Button_okClick(nullptr);

    EXPECT_TRUE(s.notifier.messages.empty());
    EXPECT_EQ(s.instrument.Eeprom('R', 8, 0x0100, 254), Head(window.areas.generalRecord, 254));
    EXPECT_EQ(s.instrument.Eeprom('R', 8, 0x0100, 1)[0], 0xA0);
    EXPECT_TRUE(s.instrument.Violations().Empty()) << s.instrument.Report();
}

// The service window as the program opens it, with no loader sender of a test's: an erasure
// goes to the loader that the window's two boot transfers started, the loader block patched as
// the main firmware step patches it.
TEST(AgainstTheSimulator, ServiceWindowStartsTheLoaderBeforeItErases) {
    TBoot::RestorePristine();
    SimulatorRig s;
    InstrumentFacts facts = IdentifiedFacts();
    facts.accessLetter = kServiceAccessLetter;
    TFParam_defecto window(s.session, facts);
    window.check_grabar_conf_fabrica.checked = false;
    window.check_grabar_conf_actual.checked = false;
    window.check_borrar_memorias.checked = true;
    window.Button_okClick(nullptr);

    const sim::LoaderRecord& loader = s.instrument.Loader();
    EXPECT_EQ(loader.stage1Count, 1);
    EXPECT_EQ(loader.stage2Count, 1);
    const TBoot boot;
    EXPECT_EQ(loader.stage1Block, Bytes(boot.Block2().begin(), boot.Block2().end()));
    ASSERT_EQ(loader.stage2Block.size(), TBoot::kBlock3Length);
    EXPECT_EQ(Bytes(loader.stage2Block.begin() + 249, loader.stage2Block.begin() + 252),
              (Bytes{0x03, 0x20, 0x41}));
    // In this order and nothing else: both stages, the erase of sector 39, the loader's closing.
    Bytes expected = {0x04, 0x90, 0x00};
    expected.insert(expected.end(), loader.stage1Block.begin(), loader.stage1Block.end());
    expected.insert(expected.end(), {0x04, 0xC8, 0x03});
    expected.insert(expected.end(), loader.stage2Block.begin(), loader.stage2Block.end());
    expected.insert(expected.end(), {0x0C, 39, 0x0F, 0xF0});
    EXPECT_EQ(s.instrument.GetTranscript().Bytes(sim::Transcript::Direction::FromHost), expected);
    EXPECT_TRUE(s.notifier.messages.empty()) << s.notifier.messages.front().text;
    EXPECT_TRUE(s.instrument.Violations().Empty()) << s.instrument.Report();
}

TEST(AgainstTheSimulator, PlanTypeZeroLandsInSectorsThirtyAndThirtyOne) {
    SimulatorRig s;
    auto session = s.session;
    auto image = std::make_unique<ChannelPlanImage>();
    ASSERT_TRUE(SendChannelPlan(session, *image, 0)) << s.instrument.Report();

    const std::span<const std::uint8_t> plan = payloads::ChannelPlan(0);
    EXPECT_EQ(s.instrument.Flash(30u << 16, 0x10000), Head(plan, 0x10000));
    EXPECT_EQ(s.instrument.Flash(31u << 16, 8061), Head(plan.subspan(65535), 8061));
    EXPECT_EQ(s.resultCode, 0);
    EXPECT_TRUE(s.instrument.Violations().Empty()) << s.instrument.Report();
}

// The placeholder plans are 0xFF past their first kilobytes; an image without repeats checks
// that both ends agree on where sector 31's bytes start.
TEST(AgainstTheSimulator, SecondSectorTakesTheBytesFromOffset65535) {
    SimulatorRig s;
    Bytes plan(73596);
    for (std::size_t i = 0; i < plan.size(); ++i)
        plan[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    auto session = s.session;
    auto image = std::make_unique<ChannelPlanImage>();
    ASSERT_TRUE(SendPlanImage(session, *image, plan)) << s.instrument.Report();
    EXPECT_EQ(s.instrument.Flash(31u << 16, 8061), Bytes(plan.begin() + 65535, plan.end()));
    EXPECT_TRUE(s.instrument.Violations().Empty()) << s.instrument.Report();
}

}  // namespace
}  // namespace kell::testing
