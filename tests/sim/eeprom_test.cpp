#include <gtest/gtest.h>

#include "sim/virtual_rig.h"
#include "tests/sim/frames.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

// A 0xA0 record of `length` bytes: header, a body, 0xFA and the XOR.
Bytes ConfigRecord(std::size_t length) {
    Bytes r(length, 0x00);
    r[0] = 0xA0;
    r[1] = static_cast<std::uint8_t>(length);
    r[2] = 0x00;
    r[3] = 0x54;
    for (std::size_t i = 4; i + 2 < length; ++i)
        r[i] = static_cast<std::uint8_t>(i * 3);
    r[length - 2] = 0xFA;
    r[length - 1] = testing::Xor(r, 0, length - 1);
    return r;
}

TEST(SimEeprom, WritesAreAcknowledgedAndStoredByArea) {
    VirtualRig rig;
    EXPECT_EQ(rig.Exchange(testing::Eeprom('R', 8, 0x0040, Bytes(190, 0xFF)), 1), Bytes{0x20});
    EXPECT_EQ(rig.Exchange(testing::Eeprom('Q', 9, 0x1000, Bytes(128, 0x11)), 1), Bytes{0x20});
    EXPECT_EQ(rig.instrument->Eeprom('Q', 9, 0x1000, 2), (Bytes{0x11, 0x11}));
    EXPECT_EQ(rig.instrument->Eeprom('W', 3, 0x0300, 1), Bytes{0xFF});
    // The closing frame: 02 05 50 3F 0C 01 17.
    Bytes closing = testing::Eeprom('?', 0x0C, 0x0117, {});
    EXPECT_EQ(closing, (Bytes{0x02, 0x05, 0x50, 0x3F, 0x0C, 0x01, 0x17}));
    EXPECT_EQ(rig.Exchange(closing, 1), Bytes{0x20});
    // Outside the areas: refused.
    EXPECT_EQ(rig.Exchange(testing::Eeprom('Z', 1, 0x0000, {1}), 1), Bytes{'?'});
    EXPECT_EQ(rig.Exchange(testing::Eeprom('W', 3, 0x03F0, Bytes(32, 0)), 1), Bytes{'?'});
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadAddress), 2u);
}

TEST(SimEeprom, GeneralRecordIsCheckedWhenBothHalvesAreIn) {
    VirtualRig rig;
    Bytes record = ConfigRecord(225);
    record.resize(256, 0x00);
    Bytes first(record.begin(), record.begin() + 128);
    Bytes second(record.begin() + 128, record.begin() + 254);
    EXPECT_EQ(rig.Exchange(testing::Eeprom('R', 8, 0x0100, first), 1), Bytes{0x20});
    EXPECT_EQ(rig.Exchange(testing::Eeprom('R', 8, 0x0180, second), 1), Bytes{0x20});
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
    EXPECT_EQ(rig.instrument->Eeprom('R', 8, 0x0100, 225),
              Bytes(record.begin(), record.begin() + 225));

    // The same record with a wrong XOR: reported once the second half is in.
    record[224] ^= 0x01;
    rig.Exchange(testing::Eeprom('R', 8, 0x0200, Bytes(record.begin(), record.begin() + 128)), 1);
    EXPECT_TRUE(rig.instrument->Violations().Empty());
    rig.Exchange(testing::Eeprom('R', 8, 0x0280, Bytes(record.begin() + 128, record.begin() + 254)),
                 1);
    ASSERT_EQ(rig.instrument->Violations().Count(ViolationKind::BadRecord), 1u);

    // A list record whose terminator is missing.
    Bytes list = ConfigRecord(61);
    list.resize(64, 0x00);
    list[59] = 0x00;
    list[60] = testing::Xor(list, 0, 60);
    rig.Exchange(testing::Eeprom('W', 3, 0x0300, Bytes(list.begin(), list.begin() + 32)), 1);
    rig.Exchange(testing::Eeprom('W', 3, 0x0320, Bytes(list.begin() + 32, list.end())), 1);
    EXPECT_EQ(rig.instrument->Violations().Count(ViolationKind::BadRecord), 2u);
}

TEST(SimEeprom, ProfilesAreCheckedToo) {
    VirtualRig rig;
    Bytes table(1024, 0x00);
    for (int p = 0; p < 4; ++p) {
        Bytes profile(206, 0x00);
        profile[0] = 0xBA;
        profile[1] = 206;
        profile[3] = 0x0D;
        profile[4] = 'T';
        profile[204] = 0xCA;
        profile[205] = testing::Xor(profile, 0, 205);
        if (p == 2)
            profile[205] ^= 0xFF;
        std::copy(profile.begin(), profile.end(), table.begin() + 256 * p);
    }
    for (int offset = 0; offset < 1024; offset += 128) {
        Bytes part(table.begin() + offset, table.begin() + offset + 128);
        EXPECT_EQ(
            rig.Exchange(testing::Eeprom('R', 8, static_cast<std::uint16_t>(0x0300 + offset), part),
                         1),
            Bytes{0x20});
    }
    ASSERT_EQ(rig.instrument->Violations().Count(ViolationKind::BadRecord), 1u);
    EXPECT_NE(rig.instrument->Violations().Entries()[0].text.find("0x0500"), std::string::npos);
}

TEST(SimEeprom, RefusedWriteFault) {
    Scenario s;
    s.faults.push_back({Event::EepromWrite, Action::Refuse, 1, 1, {}, 0});
    VirtualRig rig(s);
    Bytes frame = testing::Eeprom('Q', 9, 0x1200, Bytes(128, 0x22));
    EXPECT_EQ(rig.Exchange(frame, 1), Bytes{'?'});
    EXPECT_EQ(rig.instrument->Eeprom('Q', 9, 0x1200, 1), Bytes{0xFF});
    EXPECT_EQ(rig.Exchange(frame, 1), Bytes{0x20});
    EXPECT_EQ(rig.instrument->Eeprom('Q', 9, 0x1200, 1), Bytes{0x22});
}

}  // namespace
}  // namespace kell::testing
