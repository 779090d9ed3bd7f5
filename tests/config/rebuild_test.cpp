#include <gtest/gtest.h>

#include "config/zone_records.h"
#include "tests/config/record_bytes.h"

namespace kell::testing {
namespace {

ZoneRecordInputs Instrument(bool usa, bool modelKnown) {
    ZoneRecordInputs in;
    in.usaUnit = usa;
    in.modelKnown = modelKnown;
    in.plansType = 2;
    in.parameter562Valid = true;
    in.parameter562 = 3;
    in.parameter571 = 7000;
    return in;
}

TEST(RecordAreas, StartZeroed) {
    const ConfigRecordAreas areas;
    for (const RecordArea* area : {&areas.generalRecord, &areas.listRecord, &areas.userBandRecord})
        for (std::uint8_t b : *area)
            ASSERT_EQ(b, 0);
    for (std::uint8_t b : areas.profileArea)
        ASSERT_EQ(b, 0);
}

TEST(RecordAreas, RebuildReproducesEveryRecord) {
    ConfigRecordAreas areas;
    const ZoneRecordInputs in = Instrument(false, true);
    BuildGeneralRecord(areas, in, 0x43);
    BuildListRecord(areas);
    BuildUserBandRecord(areas, 5);
    for (int profile = 0; profile < 4; ++profile)
        BuildProfile(areas, in, profile, 3);
    const ConfigRecordAreas first = areas;

    BuildGeneralRecord(areas, in, 0x43);
    BuildListRecord(areas);
    BuildUserBandRecord(areas, 5);
    for (int profile = 0; profile < 4; ++profile)
        BuildProfile(areas, in, profile, 3);
    EXPECT_EQ(areas.generalRecord, first.generalRecord);
    EXPECT_EQ(areas.listRecord, first.listRecord);
    EXPECT_EQ(areas.userBandRecord, first.userBandRecord);
    EXPECT_EQ(areas.profileArea, first.profileArea);
}

TEST(RecordAreas, ShorterGeneralRecordLeavesTheLongerOnesTail) {
    ConfigRecordAreas areas;
    BuildGeneralRecord(areas, Instrument(true, true), 1);
    const RecordArea usa = areas.generalRecord;

    BuildGeneralRecord(areas, Instrument(false, true), 1);
    EXPECT_EQ(areas.generalRecord[1], 225);
    EXPECT_EQ(XorOf(Head(areas.generalRecord, 225)), 0);
    for (std::size_t i = 225; i < kRecordAreaSize; ++i)
        EXPECT_EQ(areas.generalRecord[i], usa[i]) << "offset " << i;
    EXPECT_EQ(areas.generalRecord[236], 0xFA);  // the USA record's terminator is still there

    const RecordArea plain = areas.generalRecord;
    BuildGeneralRecord(areas, Instrument(false, false), 1);
    EXPECT_EQ(areas.generalRecord[1], 222);
    EXPECT_EQ(XorOf(Head(areas.generalRecord, 222)), 0);
    for (std::size_t i = 222; i < kRecordAreaSize; ++i)
        EXPECT_EQ(areas.generalRecord[i], plain[i]) << "offset " << i;
}

TEST(RecordAreas, ShorterProfileLeavesTheLongerOnesTail) {
    ConfigRecordAreas areas;
    BuildProfile(areas, Instrument(false, true), 2, 0);
    const Bytes plain(areas.profileArea.begin() + 512, areas.profileArea.begin() + 768);

    BuildProfile(areas, Instrument(true, true), 2, 0);
    const auto slot = std::span(areas.profileArea).subspan(512, 256);
    EXPECT_EQ(slot[1], 194);
    EXPECT_EQ(XorOf(slot.first(194)), 0);
    for (std::size_t i = 194; i < 256; ++i)
        EXPECT_EQ(slot[i], plain[i]) << "offset " << i;
    EXPECT_EQ(slot[204], 0xCA);
}

}  // namespace
}  // namespace kell::testing
