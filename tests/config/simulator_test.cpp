#include <gtest/gtest.h>

#include <memory>

#include "config/channel_plan.h"
#include "config/param_defecto.h"
#include "payloads/payloads.h"
#include "sim/instrument.h"
#include "tests/config/config_rig.h"
#include "tests/support/simulated_end.h"

namespace kell {
namespace {

using test::Bytes;

// The updater's channel and session fields over the simulated instrument.
using SimulatorRig = test::SessionRig<test::SimulatedEnd>;

Bytes Head(std::span<const std::uint8_t> bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(AgainstTheSimulator, ZoneStepAndClosingLeaveTheRecordsInTheParameterStore) {
    SimulatorRig s;
    TFParam_defecto holder(s.session, test::IdentifiedFacts());
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
    InstrumentFacts facts = test::IdentifiedFacts();
    facts.accessLetter = kServiceAccessLetter;
    TFParam_defecto window(s.session, facts);
    window.check_grabar_perfiles.checked = true;
    window.Button_okClick(nullptr);

    EXPECT_TRUE(s.notifier.messages.empty());
    EXPECT_EQ(s.instrument.Eeprom('R', 8, 0x0100, 254), Head(window.areas.generalRecord, 254));
    EXPECT_EQ(s.instrument.Eeprom('R', 8, 0x0100, 1)[0], 0xA0);
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
}  // namespace kell
