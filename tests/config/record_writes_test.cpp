#include <gtest/gtest.h>

#include "config/zone_records.h"
#include "tests/config/config_rig.h"
#include "tests/config/record_bytes.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;

// An area holding a record whose every byte differs from its neighbours.
RecordArea PatternRecord() {
    RecordArea area;
    for (std::size_t i = 0; i < area.size(); ++i)
        area[i] = static_cast<std::uint8_t>(i * 7 + 3);
    area[0] = 0xA0;
    return area;
}

TEST(GeneralRecordWrites, BothHalvesWithoutTheLastTwoBytes) {
    for (const bool factory : {true, false}) {
        SCOPED_TRACE(factory ? "factory" : "default");
        ConfigRig rig;
        auto window = rig.Window();
        window->areas.generalRecord = PatternRecord();
        const int base = factory ? 0x0100 : 0x0200;

        EXPECT_TRUE(factory ? window->WriteFactoryConfiguration()
                            : window->WriteDefaultConfiguration());
        EXPECT_EQ(EepromWrites(rig.instrument.frames),
                  (std::vector<EepromWriteSeen>{{'R', 8, base, 128}, {'R', 8, base + 0x80, 126}}));
        EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, base, 254),
                  Head(window->areas.generalRecord, 254));
        EXPECT_FALSE(rig.instrument.records.Eeprom('R', 8, base + 254));
        EXPECT_FALSE(rig.instrument.records.Eeprom('R', 8, base + 255));
    }
}

TEST(GeneralRecordWrites, UnansweredFirstHalfSendsNoSecondHalf) {
    ConfigRig rig;
    auto window = rig.Window();
    window->BuildZoneRecords();
    rig.instrument.records.answerFor = [](const Bytes&) { return Answer{}; };
    EXPECT_FALSE(window->WriteFactoryConfiguration());
    EXPECT_EQ(rig.instrument.frames.size(), 5u);
    EXPECT_EQ(EepromWrites(rig.instrument.frames),
              (std::vector<EepromWriteSeen>{{'R', 8, 0x0100, 128}}));
}

TEST(ListAndUserBandWrites, AddressesAndBlocks) {
    ConfigRig rig;
    auto window = rig.Window();
    window->areas.listRecord = PatternRecord();
    window->areas.userBandRecord = PatternRecord();
    window->areas.userBandRecord[5] = 0x99;

    EXPECT_TRUE(window->WriteListPrimary());
    EXPECT_TRUE(window->WriteListSecondary());
    EXPECT_TRUE(window->WriteUserBandsPrimary());
    EXPECT_TRUE(window->WriteUserBandsSecondary());
    EXPECT_EQ(EepromWrites(rig.instrument.frames),
              (std::vector<EepromWriteSeen>{{'W', 3, 0x0300, 32},
                                            {'W', 3, 0x0320, 32},
                                            {'W', 3, 0x0380, 32},
                                            {'W', 3, 0x03A0, 32},
                                            {'Q', 9, 0x1000, 128},
                                            {'Q', 9, 0x1200, 128}}));
    EXPECT_EQ(rig.instrument.records.EepromBytes('W', 3, 0x0380, 64),
              Head(window->areas.listRecord, 64));
    EXPECT_EQ(rig.instrument.records.EepromBytes('Q', 9, 0x1200, 128),
              Head(window->areas.userBandRecord, 128));
}

TEST(ListAndUserBandWrites, UnansweredFirstListBlockSendsNoSecond) {
    ConfigRig rig;
    auto window = rig.Window();
    window->BuildZoneRecords();
    rig.instrument.records.answerFor = [](const Bytes&) { return Answer{}; };
    EXPECT_FALSE(window->WriteListPrimary());
    EXPECT_EQ(EepromWrites(rig.instrument.frames),
              (std::vector<EepromWriteSeen>{{'W', 3, 0x0300, 32}}));
    EXPECT_FALSE(window->WriteUserBandsPrimary());
}

TEST(ListAndUserBandWrites, OldFirmwareSendsNothingAndSucceeds) {
    ConfigRig rig;
    InstrumentFacts facts = IdentifiedFacts();
    facts.firmwareBelow189 = true;
    auto window = rig.Window(facts);
    window->BuildZoneRecords();
    EXPECT_TRUE(window->WriteListPrimary());
    EXPECT_TRUE(window->WriteListSecondary());
    EXPECT_TRUE(window->WriteUserBandsPrimary());
    EXPECT_TRUE(window->WriteUserBandsSecondary());
    EXPECT_TRUE(rig.instrument.frames.empty());
}

TEST(ProfileWrites, EightBlocksOfTheZonesProfiles) {
    ConfigRig rig;
    auto window = rig.Window();
    EXPECT_TRUE(window->WriteProfiles());

    std::vector<EepromWriteSeen> expected;
    for (int offset = 0; offset < 1024; offset += 128)
        expected.push_back({'R', 8, 0x0300 + offset, 128});
    EXPECT_EQ(EepromWrites(rig.instrument.frames), expected);

    // Built apart for zone number 1 (the zone value 0x41 without its upper bits).
    ConfigRecordAreas reference;
    for (int profile = 0; profile < 4; ++profile)
        BuildProfile(reference, IdentifiedFacts().records, profile, 1);
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0300, 1024),
              Bytes(reference.profileArea.begin(), reference.profileArea.begin() + 1024));
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0304, 6),
              Bytes({'O', 'u', 't', 'l', 'e', 't'}));
}

TEST(ProfileWrites, AFailingBlockStopsTheRest) {
    ConfigRig rig;
    auto window = rig.Window();
    rig.instrument.records.answerFor = [](const Bytes& f) -> std::optional<Answer> {
        if (EepromAddress(f) == 0x0480)
            return Answer{};
        return std::nullopt;
    };
    EXPECT_FALSE(window->WriteProfiles());
    const auto writes = EepromWrites(rig.instrument.frames);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes.back().address, 0x0480);
}

TEST(ClosingFrame, FixedBytesWithLongWait) {
    ConfigRig rig;
    auto window = rig.Window();
    rig.instrument.records.answerFor = [](const Bytes&) { return Answer{{0x00, 0x20}, 1000}; };
    EXPECT_TRUE(window->SendClosingFrame());
    ASSERT_EQ(rig.instrument.frames.size(), 1u);
    EXPECT_EQ(rig.instrument.frames[0].bytes, (Bytes{0x02, 0x05, 0x50, 0x3F, 0x0C, 0x01, 0x17}));
}

// A holder whose zone step did not run still writes real records, never its zeroed areas.
TEST(UnbuiltRecords, AreBuiltForTheIdentifiedInstrument) {
    ConfigRig rig;
    auto window = rig.Window();
    EXPECT_TRUE(window->WriteUserBandsPrimary());
    EXPECT_TRUE(window->WriteFactoryConfiguration());

    ConfigRecordAreas reference;
    BuildUserBandRecord(reference, 0x41);
    BuildGeneralRecord(reference, IdentifiedFacts().records, 0x41);
    EXPECT_EQ(rig.instrument.records.EepromBytes('Q', 9, 0x1000, 128),
              Head(reference.userBandRecord, 128));
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0100, 254),
              Head(reference.generalRecord, 254));
}

TEST(UnbuiltRecords, AreNotWrittenWithoutIdentification) {
    ConfigRig rig;
    auto window = rig.Window(InstrumentFacts{});
    EXPECT_FALSE(window->WriteFactoryConfiguration());
    EXPECT_FALSE(window->WriteListPrimary());
    EXPECT_FALSE(window->WriteUserBandsSecondary());
    EXPECT_FALSE(window->WriteProfiles());
    EXPECT_TRUE(rig.instrument.frames.empty());
    EXPECT_FALSE(window->Panel_estado.caption.empty());
}

}  // namespace
}  // namespace kell::testing
