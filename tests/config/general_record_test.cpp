#include <gtest/gtest.h>

#include <vector>

#include "config/zone_records.h"
#include "tests/config/record_bytes.h"

namespace kell::testing {
namespace {

// Zone 1, plan type 0, model known, no option flag, stored setting not read.
// clang-format off
const Bytes kPlainZone1 = {
    0xA0, 0xE1, 0x00, 0x54,                                      // 0-3 frame, 225 bytes
    0x05, 0x00, 0x01, 0x00,                                      // 4-7
    0x01, 0x0A, 0x32, 0x32, 0x32, 0x01,                          // 8-13
    0x01,                                                        // 14 zone value
    0x32, 0x32, 0x00,                                            // 15-17
    0x52, 0xF2, 0x06, 0x00, 0x52, 0xF2, 0x06, 0x00,              // 18-25 455250, 455250
    0x60, 0xE3, 0x16, 0x00, 0x18, 0x73, 0x01, 0x00,              // 26-33 1500000, 95000
    0x00, 0x02,                                                  // 34-35 zone codes A, B
    0x10, 0x00, 0x00, 0x00, 0x00, 0x01,                          // 36-41
    0x03, 0x00, 0x00, 0x12, 0x00, 0x0F, 0x0A, 0x00, 0x20,        // 42-50
    0x00, 0x00, 0x00, 0x01,                                      // 51-54 setting byte 0
    0x3E, 0x17, 0x00, 0x00, 0x7C, 0x15,                          // 55-60 5950, 0, word 5500
    0x00, 0x0A, 0x00, 0x00, 0x00,                                // 61-65
    0x00, 0x02, 0x04, 0x02, 0x00,                                // 66-70
    0x00, 0x00, 0x06, 0x02,                                      // 71-74
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 75-82
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    // 83-89
    0x0A, 0x06, 0x00, 0x00, 0x0A, 0x32, 0x00, 0x19, 0x00, 0x01,  // 90-99
    0x07, 0x00, 0x01, 0x01, 0x00, 0x01, 0x02, 0x00, 0x01, 0x32,  // 100-109
    0x00,                                                        // 110
    0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0x00,  // 111-121
    0x90, 0x06, 0x8C, 0x05, 0xF8, 0x07, 0xBA, 0x04,              // 122-129 1680 1420 2040 1210
    0x90, 0x06, 0x8C, 0x05, 0xF8, 0x07, 0xBA, 0x04,              // 130-137
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 138-148
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 149-158
    0x00, 0x00, 0x1E, 0xFB, 0x12, 0xFD, 0xEE, 0x02, 0xE2, 0x04, 0x00, 0x00,  // 159-170
    0x0A, 0x00, 0xFF, 0x00,                                      // 171-174
    0x5F, 0x00, 0xFA, 0x00, 0xC2, 0x01, 0x8A, 0x02, 0xEE, 0x02,  // 175-184 95 ... 750
    0xE8, 0x03, 0xB0, 0x04, 0x78, 0x05, 0x08, 0x07, 0x34, 0x08,  // 185-194 1000 ... 2100
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 195-204
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 205-214
    0x14, 0x00, 0xFF,                                            // 215-217 model flag
    0x00, 0x00, 0x00, 0x00, 0x00,                                // 218-222
    0xFA, 0x61,                                                  // 223-224
};

// The same instrument with the USA flag.
const Bytes kUsaZone1 = {
    0xA0, 0xEE, 0x00, 0x54,                                      // 0-3 frame, 238 bytes
    0x05, 0x0F, 0x01, 0x01,                                      // 4-7
    0x01, 0x0A, 0x32, 0x32, 0x32, 0x00,                          // 8-13
    0x01,                                                        // 14 zone value
    0x32, 0x32, 0x00,                                            // 15-17
    0x52, 0xF2, 0x06, 0x00, 0x52, 0xF2, 0x06, 0x00,              // 18-25
    0x60, 0xE3, 0x16, 0x00, 0x18, 0x73, 0x01, 0x00,              // 26-33
    0x00, 0x0B,                                                  // 34-35
    0x10, 0x00, 0x00, 0x00, 0x00, 0x0F,                          // 36-41
    0x03, 0x00, 0x00, 0x12, 0x00, 0x0F, 0x0A, 0x00, 0x20,        // 42-50
    0x06, 0x03, 0x00, 0x01,                                      // 51-54
    0x3E, 0x17, 0x00, 0x00, 0x94, 0x11,                          // 55-60 5950, 0, 4500
    0x00, 0x0A, 0x00, 0x00, 0x00,                                // 61-65
    0x00, 0x00, 0x0A, 0x00,                                      // 66-69
    0x00, 0x00, 0x06, 0x02, 0x02,                                // 70-74
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 75-82
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    // 83-89
    0x0A, 0x06, 0x00, 0x00, 0x0A, 0x32, 0x00, 0x19, 0x00, 0x01,  // 90-99
    0x07, 0x00, 0x01, 0x01, 0x00, 0x01, 0x02, 0x00, 0x01, 0x32,  // 100-109
    0x01,                                                        // 110
    0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0x00,  // 111-121
    0x90, 0x06, 0x8C, 0x05, 0xF8, 0x07, 0xBA, 0x04,              // 122-129
    0x90, 0x06, 0x8C, 0x05, 0xF8, 0x07, 0xBA, 0x04,              // 130-137
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 138-148
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 149-159
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 160-170
    0x00, 0x00, 0x1E, 0xFB, 0x12, 0xFD, 0xEE, 0x02, 0xE2, 0x04, 0x00, 0x00,  // 171-182
    0x01,                                                        // 183
    0x0A, 0x00, 0xFF, 0x00,                                      // 184-187
    0x5F, 0x00, 0xFA, 0x00, 0xC2, 0x01, 0x8A, 0x02, 0xEE, 0x02,  // 188-197
    0xE8, 0x03, 0xB0, 0x04, 0x78, 0x05, 0x08, 0x07, 0x34, 0x08,  // 198-207
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 208-217
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 218-227
    0x14, 0x00, 0xFF,                                            // 228-230 model flag
    0x00, 0x00, 0x00, 0x00, 0x00,                                // 231-235
    0xFA, 0x83,                                                  // 236-237
};
// clang-format on

ZoneRecordInputs PlainInputs() {
    ZoneRecordInputs in;
    in.modelKnown = true;
    in.plansStoredVersion = 112;
    in.plansExpectedVersion = 112;
    return in;
}

ZoneRecordInputs UsaInputs() {
    ZoneRecordInputs in = PlainInputs();
    in.usaUnit = true;
    return in;
}

Bytes Build(const ZoneRecordInputs& in, std::uint8_t zoneValue, std::size_t length) {
    ConfigRecordAreas areas;
    BuildGeneralRecord(areas, in, zoneValue);
    return Head(areas.generalRecord, length);
}

TEST(GeneralRecord, PlainLayoutByteForByte) {
    ConfigRecordAreas areas;
    BuildGeneralRecord(areas, PlainInputs(), 1);
    EXPECT_EQ(Head(areas.generalRecord, 225), kPlainZone1);
    EXPECT_EQ(XorOf(kPlainZone1), 0);
    for (std::size_t i = 225; i < kRecordAreaSize; ++i)
        EXPECT_EQ(areas.generalRecord[i], 0) << "offset " << i;
}

TEST(GeneralRecord, UsaLayoutByteForByte) {
    ConfigRecordAreas areas;
    BuildGeneralRecord(areas, UsaInputs(), 1);
    EXPECT_EQ(Head(areas.generalRecord, 238), kUsaZone1);
    EXPECT_EQ(XorOf(kUsaZone1), 0);
    EXPECT_EQ(areas.generalRecord[238], 0);
}

TEST(GeneralRecord, WithoutModelFlagThreeBytesShorter) {
    ZoneRecordInputs plain = PlainInputs();
    plain.modelKnown = false;
    const Bytes expected = Without(kPlainZone1, 215, 3);
    ASSERT_EQ(expected.size(), 222u);
    EXPECT_EQ(Build(plain, 1, 222), expected);

    ZoneRecordInputs usa = UsaInputs();
    usa.modelKnown = false;
    const Bytes expectedUsa = Without(kUsaZone1, 228, 3);
    ASSERT_EQ(expectedUsa.size(), 235u);
    EXPECT_EQ(Build(usa, 1, 235), expectedUsa);
    EXPECT_EQ(XorOf(expectedUsa), 0);
}

TEST(GeneralRecord, ZoneValueUpperBitsOnlyReachByte14) {
    const Bytes zone5 = Build(PlainInputs(), 0x05, 225);
    const Bytes zone45 = Build(PlainInputs(), 0x45, 225);
    EXPECT_EQ(zone45[14], 0x45);
    EXPECT_EQ(zone45[224], zone5[224] ^ 0x40);  // the check byte follows byte 14
    for (std::size_t i = 0; i < 224; ++i) {
        if (i != 14) {
            EXPECT_EQ(zone45[i], zone5[i]) << "offset " << i;
        }
    }
}

TEST(GeneralRecord, PlanType4) {
    ZoneRecordInputs in = PlainInputs();
    in.plansType = 4;
    EXPECT_EQ(Build(in, 1, 225), Patched(kPlainZone1, {{53, 2}, {55, 0xCC}, {56, 0x29}, {66, 9}}));
    // Zone 6 shares zone 1's bands and zone code B for other plan types; byte 66 stays 0.
    EXPECT_EQ(Build(in, 6, 225), Patched(kPlainZone1, {{14, 6}, {53, 2}, {55, 0xCC}, {56, 0x29}}));
    // The USA layout takes the same plan-type bytes, but never the 9.
    ZoneRecordInputs usa = UsaInputs();
    usa.plansType = 4;
    EXPECT_EQ(Build(usa, 1, 238), Patched(kUsaZone1, {{53, 2}, {55, 0xCC}, {56, 0x29}}));
}

TEST(GeneralRecord, PlanTypes1To3LeavePlanBytesAsType0) {
    for (int type = 1; type <= 3; ++type) {
        ZoneRecordInputs in = PlainInputs();
        in.plansType = type;
        EXPECT_EQ(Build(in, 1, 225), kPlainZone1) << "plan type " << type;
    }
}

TEST(GeneralRecord, ZoneCodeAAndZoneBytes) {
    struct Case {
        int zone;
        std::uint8_t codeA, byte66, byte70;
    };
    const Case cases[] = {{0, 0, 0, 1}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {4, 1, 9, 1},
                          {5, 0, 0, 0}, {6, 0, 0, 0}, {7, 2, 0, 0}, {8, 0, 0, 0}, {9, 0, 0, 0}};
    for (const Case& c : cases) {
        const Bytes record = Build(PlainInputs(), static_cast<std::uint8_t>(c.zone), 225);
        EXPECT_EQ(record[34], c.codeA) << "zone " << c.zone;
        EXPECT_EQ(record[66], c.byte66) << "zone " << c.zone;
        EXPECT_EQ(record[70], c.byte70) << "zone " << c.zone;
        EXPECT_EQ(XorOf(record), 0);
        const Bytes usa = Build(UsaInputs(), static_cast<std::uint8_t>(c.zone), 238);
        EXPECT_EQ(usa[34], 0) << "zone " << c.zone;
        EXPECT_EQ(usa[35], 11) << "zone " << c.zone;
        EXPECT_EQ(usa[66], 0) << "zone " << c.zone;
    }
}

TEST(GeneralRecord, ZoneCodeB) {
    struct Case {
        int zone, planType, held, carried;
        bool plansBox;
        std::uint8_t expected;
    };
    const Case cases[] = {
        // Zone 1 always 2, zone 7 always 8.
        {1, 0, 120, 120, true, 2},
        {1, 2, 100, 100, false, 2},
        {7, 0, 120, 120, true, 8},
        {7, 1, 100, 100, false, 8},
        // Zone 3: 13 for another plan type, or an old held plan unless the box asks for a new one.
        {3, 1, 120, 120, true, 13},
        {3, 4, 120, 120, true, 13},
        {3, 0, 109, 112, false, 13},
        {3, 0, 109, 109, true, 13},
        {3, 0, 109, 110, true, 25},
        {3, 0, 110, 100, false, 25},
        {3, 0, 112, 112, true, 25},
        // Other zones: 2 for another plan type or both plans old; the box plays no part.
        {0, 3, 120, 120, false, 2},
        {0, 0, 109, 109, true, 2},
        {0, 0, 109, 109, false, 2},
        {0, 0, 110, 109, false, 11},
        {0, 0, 109, 110, false, 11},
        {2, 0, 112, 112, true, 11},
        {5, 0, 100, 112, false, 11},
        {9, 0, 100, 100, true, 2},
    };
    for (const Case& c : cases) {
        ZoneRecordInputs in = PlainInputs();
        in.plansType = c.planType;
        in.plansStoredVersion = c.held;
        in.plansExpectedVersion = c.carried;
        in.plansChecked = c.plansBox;
        const Bytes record = Build(in, static_cast<std::uint8_t>(c.zone), 225);
        EXPECT_EQ(record[35], c.expected)
            << "zone " << c.zone << " type " << c.planType << " held " << c.held << " carried "
            << c.carried << " box " << c.plansBox;
        EXPECT_EQ(XorOf(record), 0);
    }
}

TEST(GeneralRecord, StoredSettingCopiedWhenBothReadsSucceeded) {
    ZoneRecordInputs in = PlainInputs();
    in.parameter562Valid = true;
    in.parameter562 = 0x37;
    in.parameter571 = 0xBEEF;
    EXPECT_EQ(Build(in, 1, 225), Patched(kPlainZone1, {{51, 0x37}, {59, 0xEF}, {60, 0xBE}}));
    EXPECT_EQ(Build(in, 7, 225)[51], 0x37);
}

TEST(GeneralRecord, StoredSettingDefaultsByZone) {
    ZoneRecordInputs in = PlainInputs();
    in.parameter562 = 0x37;  // ignored: the reads did not both succeed
    in.parameter571 = 0xBEEF;
    const Bytes zone7 = Build(in, 7, 225);
    EXPECT_EQ(zone7[51], 1);
    EXPECT_EQ(WordAt(zone7, 59), 6500u);
    for (int zone : {0, 1, 3, 8}) {
        const Bytes record = Build(in, static_cast<std::uint8_t>(zone), 225);
        EXPECT_EQ(record[51], 0) << "zone " << zone;
        EXPECT_EQ(WordAt(record, 59), 5500u) << "zone " << zone;
    }
}

TEST(GeneralRecord, UsaUnitIgnoresStoredSetting) {
    ZoneRecordInputs in = UsaInputs();
    in.parameter562Valid = true;
    in.parameter562 = 0x37;
    in.parameter571 = 0xBEEF;
    EXPECT_EQ(Build(in, 1, 238), kUsaZone1);
}

TEST(GeneralRecord, OptionFlag) {
    ZoneRecordInputs in = PlainInputs();
    in.threeFpgaConfigurations = true;
    EXPECT_EQ(Build(in, 1, 225), Patched(kPlainZone1, {{67, 6}, {68, 7}}));
    ZoneRecordInputs usa = UsaInputs();
    usa.threeFpgaConfigurations = true;
    EXPECT_EQ(Build(usa, 1, 238), kUsaZone1);
}

TEST(GeneralRecord, EightBandTableByZone) {
    const std::vector<unsigned> zone2 = {1178, 1280, 1382, 1484, 1586, 1688, 1790, 1892};
    const std::vector<unsigned> zone5 = {1210, 1420, 1680, 2040, 1586, 1688, 1790, 1892};
    const std::vector<unsigned> other = {1680, 1420, 2040, 1210, 1680, 1420, 2040, 1210};
    auto bands = [](const Bytes& record) {
        std::vector<unsigned> mhz;
        for (std::size_t i = 0; i < 8; ++i)
            mhz.push_back(WordAt(record, 122 + 2 * i));
        return mhz;
    };
    EXPECT_EQ(bands(Build(PlainInputs(), 2, 225)), zone2);
    EXPECT_EQ(bands(Build(PlainInputs(), 5, 225)), zone5);
    EXPECT_EQ(bands(Build(PlainInputs(), 0x45, 225)), zone5);
    EXPECT_EQ(bands(Build(UsaInputs(), 2, 238)), zone2);
    EXPECT_EQ(bands(Build(UsaInputs(), 5, 238)), zone5);
    for (int zone : {0, 1, 3, 4, 6, 7, 8, 9})
        EXPECT_EQ(bands(Build(PlainInputs(), static_cast<std::uint8_t>(zone), 225)), other)
            << "zone " << zone;
}

}  // namespace
}  // namespace kell::testing
