#pragma once

#include <cstdint>

namespace kell {

// The zone number is the low six bits of the zone value; the upper two bits travel unchanged
// into the general record and are otherwise ignored.
constexpr int ZoneNumber(int zoneValue) {
    return zoneValue & 0x3F;
}

// What the record builders need to know about the connected instrument, as connection and
// identification left it. The fields carry the names of the main window's fields they are
// copied from.
struct ZoneRecordInputs {
    // The zone parameter as read, all eight bits (the zone step passes it to the builders;
    // the profile write uses its zone number).
    std::uint8_t zoneCode = 0;
    // The instrument reported the region text "USA".
    bool usaUnit = false;
    // Identification recognised the instrument model.
    bool modelKnown = false;
    // The option flag: bit 0x20 of the option block's byte 26 was clear.
    bool threeFpgaConfigurations = false;
    // Kind of channel plan the instrument reports, 0 to 4.
    int plansType = 0;
    // Number of the channel plan the instrument holds.
    int plansStoredVersion = 0;
    // Number of the plan this program carries for the plan type.
    int plansExpectedVersion = 0;
    // State of the main window's "Planes" box.
    bool plansChecked = false;
    // The stored setting: a byte and a 16-bit value, used only when both reads succeeded.
    bool parameter562Valid = false;
    std::uint8_t parameter562 = 0;
    std::uint16_t parameter571 = 0;
};

}  // namespace kell
