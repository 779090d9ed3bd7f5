#include <gtest/gtest.h>

#include <vector>

#include "config/zone_records.h"
#include "tests/config/record_bytes.h"

namespace kell::testing {
namespace {

// clang-format off
const Bytes kListRecord = {
    0xA0, 0x3D, 0x00, 0x54,                                      // 0-3 frame, 61 bytes
    0x0A, 0xFF, 0x00,                                            // 4-6
    0x35, 0x3B, 0x47, 0x49, 0x4C, 0x4D, 0x54, 0x57, 0x5B, 0x5E,  // 7-16
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 17-26
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 27-36
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 37-46
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 47-56
    0x00, 0x09,                                                  // 57-58
    0xFA, 0xC8,                                                  // 59-60
};

// Table A, every zone but 5.
const Bytes kUserBandsA = {
    0xA0, 0x47, 0x00, 0x54,                                      // 0-3 frame, 71 bytes
    0x00,                                                        // 4
    0xBA, 0x04, 0x8C, 0x05, 0x90, 0x06, 0xF8, 0x07,              // 5-12 1210 1420 1680 2040
    0xD8, 0x03, 0xFC, 0x03, 0x20, 0x04, 0x44, 0x04, 0x68, 0x04, 0x8C, 0x04,  // 13-24
    0xE8, 0x04, 0x0C, 0x05, 0x30, 0x05, 0x54, 0x05, 0xB2, 0x05, 0xD6, 0x05,  // 25-36
    0xFA, 0x05, 0x1E, 0x06, 0x42, 0x06, 0x66, 0x06, 0xB4, 0x06, 0xD8, 0x06,  // 37-48
    0xFC, 0x06, 0x20, 0x07, 0x44, 0x07, 0x68, 0x07, 0x8C, 0x07, 0xB0, 0x07,  // 49-60
    0xD4, 0x07, 0x1C, 0x08, 0x40, 0x08, 0x64, 0x08,              // 61-68
    0xFA, 0xD7,                                                  // 69-70
};
// clang-format on

TEST(ListRecord, SameForEveryCall) {
    ConfigRecordAreas areas;
    BuildListRecord(areas);
    EXPECT_EQ(Head(areas.listRecord, 61), kListRecord);
    EXPECT_EQ(XorOf(kListRecord), 0);
    for (std::size_t i = 61; i < kRecordAreaSize; ++i)
        EXPECT_EQ(areas.listRecord[i], 0) << "offset " << i;
}

TEST(UserBandRecord, TableAForEveryZoneBut5) {
    for (int zone : {0, 1, 2, 3, 4, 6, 7, 8, 9, 0x41}) {
        ConfigRecordAreas areas;
        BuildUserBandRecord(areas, static_cast<std::uint8_t>(zone));
        EXPECT_EQ(Head(areas.userBandRecord, 71), kUserBandsA) << "zone " << zone;
        EXPECT_EQ(areas.userBandRecord[71], 0);
    }
    EXPECT_EQ(XorOf(kUserBandsA), 0);
}

TEST(UserBandRecord, TableBForZone5) {
    const std::vector<unsigned> tableB = {1210, 1420, 1680, 2040, 985,  1050, 1115, 1275,
                                          1340, 1485, 1550, 1615, 1745, 1810, 1875, 1940,
                                          1530, 1566, 1602, 1638, 1716, 1752, 1788, 1824,
                                          1860, 1896, 1932, 1968, 2004, 2076, 2112, 2148};
    for (std::uint8_t zoneValue : {0x05, 0x85}) {
        ConfigRecordAreas areas;
        BuildUserBandRecord(areas, zoneValue);
        const Bytes record = Head(areas.userBandRecord, 71);
        EXPECT_EQ(Bytes(record.begin(), record.begin() + 5), Bytes({0xA0, 0x47, 0x00, 0x54, 0x00}));
        std::vector<unsigned> mhz;
        for (std::size_t i = 0; i < 32; ++i)
            mhz.push_back(WordAt(record, 5 + 2 * i));
        EXPECT_EQ(mhz, tableB);
        EXPECT_EQ(record[69], 0xFA);
        EXPECT_EQ(XorOf(record), 0);
        // Only entries 5 to 16 (bytes 13-36) and the check byte differ from table A.
        for (std::size_t i = 0; i < 70; ++i) {
            if (i < 13 || i > 36) {
                EXPECT_EQ(record[i], kUserBandsA[i]) << "offset " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kell::testing
