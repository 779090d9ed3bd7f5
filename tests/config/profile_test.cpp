#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/zone_records.h"
#include "tests/config/record_bytes.h"

namespace kell::testing {
namespace {

// Profiles 0, 2 and 3.
const std::vector<int> kPlainValues = {
    570, 750, 470, 800, 430, 350, 80,  200, 50,   250, 400, 350, 450, 650, 350, 700,
    250, 200, 470, 730, 400, 770, 110, 60,  470,  730, 400, 770, 450, 650, 400, 700,
    380, 330, 250, 200, 450, 350, 590, 420, 230,  200, 190, 150, 550, 450, 250, 230,
    110, 60,  450, 350, 590, 420, 90,  70,  110,  60,  15,  30,  450, 350, 450, 350,
    90,  70,  450, 350, 20,  5,   -15, -20, 670,  850, 570, 900, 250, 200, 450, 350,
    590, 420, 230, 200, 60,  30,  -50, 50,  -150, 150, 520, 500, 520, 500, 200, 500};
const std::vector<int> kUsaValues = {
    570, 750, 470, 800, 430, 350, 80,  200, 50,  250, 400,  350, 450, 650, 350, 700, 250, 200,
    470, 730, 400, 770, 110, 60,  470, 730, 400, 770, 450,  650, 400, 700, 380, 330, 250, 200,
    590, 420, 200, 170, 0,   0,   190, 150, 550, 450, 250,  230, 110, 60,  450, 350, 590, 420,
    90,  70,  110, 60,  15,  30,  450, 350, 450, 350, 90,   70,  450, 350, 590, 420, 50,  30,
    20,  5,   -15, -20, 670, 850, 570, 900, -50, 50,  -150, 150, 520, 500, 520, 500, 200, 500};

// Profile 1: positions counted from 1.
std::vector<int> Profile1(std::vector<int> values) {
    for (int position : {2, 14, 30})
        values[position - 1] = 1150;
    for (int position : {4, 16, 32})
        values[position - 1] = 1200;
    for (int position : {20, 26})
        values[position - 1] = 1050;
    for (int position : {22, 28})
        values[position - 1] = 1100;
    return values;
}

ZoneRecordInputs Inputs(bool usa) {
    ZoneRecordInputs in;
    in.usaUnit = usa;
    return in;
}

std::span<const std::uint8_t> Slot(const ConfigRecordAreas& areas, int profile) {
    return std::span(areas.profileArea).subspan(static_cast<std::size_t>(profile) * 256, 256);
}

std::vector<int> Values(std::span<const std::uint8_t> slot, std::size_t count) {
    std::vector<int> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(SignedWordAt(slot, 12 + 2 * i));
    return values;
}

std::string Name(std::span<const std::uint8_t> slot) {
    return std::string(slot.begin() + 4, slot.begin() + 12);
}

TEST(Profile, PlainFrameAndValues) {
    for (int profile : {0, 2, 3}) {
        ConfigRecordAreas areas;
        BuildProfile(areas, Inputs(false), profile, 0);
        const auto slot = Slot(areas, profile);
        EXPECT_EQ(slot[0], 0xBA);
        EXPECT_EQ(slot[1], 206);
        EXPECT_EQ(slot[2], 0x00);
        EXPECT_EQ(slot[3], 0x0D);
        EXPECT_EQ(Values(slot, 96), kPlainValues) << "profile " << profile;
        EXPECT_EQ(slot[204], 0xCA);
        EXPECT_EQ(XorOf(slot.first(206)), 0);
        for (std::size_t i = 206; i < 256; ++i)
            EXPECT_EQ(slot[i], 0) << "offset " << i;
    }
}

TEST(Profile, Profile1ChangesTenValues) {
    ConfigRecordAreas plain;
    BuildProfile(plain, Inputs(false), 1, 0);
    EXPECT_EQ(Values(Slot(plain, 1), 96), Profile1(kPlainValues));
    ConfigRecordAreas usa;
    BuildProfile(usa, Inputs(true), 1, 0);
    EXPECT_EQ(Values(Slot(usa, 1), 90), Profile1(kUsaValues));
}

TEST(Profile, UsaFrameAndValues) {
    ConfigRecordAreas areas;
    BuildProfile(areas, Inputs(true), 0, 1);
    const auto slot = Slot(areas, 0);
    EXPECT_EQ(slot[1], 194);
    EXPECT_EQ(Values(slot, 90), kUsaValues);
    EXPECT_EQ(slot[192], 0xCA);
    EXPECT_EQ(XorOf(slot.first(194)), 0);
    for (std::size_t i = 194; i < 256; ++i)
        EXPECT_EQ(slot[i], 0) << "offset " << i;
}

TEST(Profile, UsaPositions41And42AreNotWritten) {
    // Values 41 and 42 lie at bytes 92-95 of the slot.
    ConfigRecordAreas areas;
    for (std::size_t i = 92; i < 96; ++i)
        areas.profileArea[256 + i] = 0xEE;
    BuildProfile(areas, Inputs(true), 1, 1);
    const auto slot = Slot(areas, 1);
    for (std::size_t i = 92; i < 96; ++i)
        EXPECT_EQ(slot[i], 0xEE) << "offset " << i;
    EXPECT_EQ(SignedWordAt(slot, 90), 170);  // value 40
    EXPECT_EQ(SignedWordAt(slot, 96), 190);  // value 43
    EXPECT_EQ(XorOf(slot.first(194)), 0);    // the check byte covers what the area held
}

TEST(Profile, NamesByZone) {
    struct Case {
        int zone, profile;
        std::string field;  // the 8 bytes at offsets 4-11
    };
    const Case cases[] = {
        {0, 0, std::string("Toma\0\0\0\0", 8)},
        {0, 1, "Cabecera"},
        {0, 2, std::string("Perfil1\0", 8)},
        {0, 3, std::string("Perfil2\0", 8)},
        {1, 0, std::string("Outlet\0\0", 8)},
        {1, 1, "Head-end"},
        {1, 2, "Profile1"},
        {1, 3, "Profile2"},
        {2, 0, "Steckdos"},
        {2, 1, "Kopfstat"},
        {3, 1, std::string("Central\0", 8)},
        {4, 1, "Station "},
        {4, 3, std::string("Profil2\0", 8)},
        {5, 1, "Centrale"},
        {6, 2, "Profile1"},
        {7, 0, std::string("\xC0\xDE\xD7\xD5\xE2\xDA\xD0\0", 8)},
        {7, 1, "\xB3\xDE\xDB\xDE\xD2\x20\xE1\xE2"},
        {7, 2, "\xBF\xE0\xDE\xE4\xD8\xDB\xEC\x31"},
        {7, 3, "\xBF\xE0\xDE\xE4\xD8\xDB\xEC\x32"},
        {8, 0, std::string("Gniazdo\0", 8)},
        {8, 1, "\x53\x74\x61\x63\x6A\x61\x20\x63"},  // "Stacja c"
        {8, 2, std::string("profil1\0", 8)},
        {9, 3, "Profile2"},
        // Zones without names of their own.
        {10, 0, std::string(8, '\0')},
        {11, 2, std::string("1\0\0\0\0\0\0\0", 8)},
        {63, 1, std::string(8, '\0')},
    };
    for (const Case& c : cases) {
        ConfigRecordAreas areas;
        BuildProfile(areas, Inputs(false), c.profile, c.zone);
        const auto slot = Slot(areas, c.profile);
        EXPECT_EQ(Name(slot), c.field) << "zone " << c.zone << " profile " << c.profile;
        EXPECT_EQ(XorOf(slot.first(206)), 0);
    }
}

TEST(Profile, NumbersOutside0To3BuildProfile0) {
    for (int profile : {4, 255, -1}) {
        ConfigRecordAreas areas;
        BuildProfile(areas, Inputs(false), profile, 1);
        EXPECT_EQ(Name(Slot(areas, 0)), std::string("Outlet\0\0", 8)) << profile;
        EXPECT_EQ(Values(Slot(areas, 0), 96), kPlainValues);
        for (std::size_t i = 256; i < kProfileAreaSize; ++i)
            ASSERT_EQ(areas.profileArea[i], 0) << "offset " << i;
    }
}

TEST(Profile, SlotsAreIndependentAndTheAreaTailStaysZero) {
    ConfigRecordAreas areas;
    for (int profile = 0; profile < 4; ++profile)
        BuildProfile(areas, Inputs(false), profile, 2);
    EXPECT_EQ(Name(Slot(areas, 0)), "Steckdos");
    EXPECT_EQ(Name(Slot(areas, 1)), "Kopfstat");
    EXPECT_EQ(Name(Slot(areas, 2)), "Profile1");
    EXPECT_EQ(Name(Slot(areas, 3)), "Profile2");
    EXPECT_EQ(Values(Slot(areas, 1), 96), Profile1(kPlainValues));
    EXPECT_EQ(Values(Slot(areas, 3), 96), kPlainValues);
    for (std::size_t i = 1024; i < kProfileAreaSize; ++i)
        ASSERT_EQ(areas.profileArea[i], 0) << "offset " << i;
}

}  // namespace
}  // namespace kell::testing
