#include <array>

#include "config/band_tables.h"
#include "config/record_writer.h"
#include "config/zone_records.h"

namespace kell {
namespace {

constexpr std::array<std::uint32_t, 4> kLongs = {455250, 455250, 1500000, 95000};
constexpr std::array<std::int16_t, 6> kOffsets = {0, -1250, -750, 750, 1250, 0};
constexpr std::array<std::uint16_t, 10> kSteps = {95,   250,  450,  650,  750,
                                                  1000, 1200, 1400, 1800, 2100};
constexpr int kPlanNumberLimit = 110;

struct StoredSetting {
    std::uint8_t byte;
    std::uint16_t word;
};

std::uint8_t ZoneCodeA(int zone) {
    return zone == 4 ? 1 : zone == 7 ? 2 : 0;
}

std::uint8_t ZoneCodeB(int zone, const ZoneRecordInputs& in) {
    const bool otherPlanType = in.plansType != 0;
    const bool heldOld = in.plansStoredVersion < kPlanNumberLimit;
    const bool carriedOld = in.plansExpectedVersion < kPlanNumberLimit;
    switch (zone) {
        case 1:
            return 2;
        case 3:
            return otherPlanType || (heldOld && (!in.plansChecked || carriedOld)) ? 13 : 25;
        case 7:
            return 8;
        default:
            return otherPlanType || (heldOld && carriedOld) ? 2 : 11;
    }
}

// The instrument's own stored setting when it could be read, else the zone's default.
StoredSetting Setting(int zone, const ZoneRecordInputs& in) {
    if (in.parameter562Valid)
        return {in.parameter562, in.parameter571};
    return zone == 7 ? StoredSetting{1, 6500} : StoredSetting{0, 5500};
}

}  // namespace

void BuildGeneralRecord(ConfigRecordAreas& areas, const ZoneRecordInputs& in,
                        std::uint8_t zoneValue) {
    const int zone = ZoneNumber(zoneValue);
    const bool usa = in.usaUnit;
    const bool planType4 = in.plansType == 4;
    const StoredSetting setting = usa ? StoredSetting{6, 4500} : Setting(zone, in);

    RecordWriter w(areas.generalRecord);
    w.BeginConfigRecord();
    w.Byte(0x05);
    w.Byte(usa ? 0x0F : 0x00);
    w.Byte(0x01);
    w.Byte(usa ? 0x01 : 0x00);
    w.Bytes({0x01, 0x0A, 0x32, 0x32, 0x32});
    w.Byte(usa ? 0x00 : 0x01);
    w.Byte(zoneValue);
    w.Bytes({0x32, 0x32, 0x00});
    for (std::uint32_t value : kLongs)
        w.Long(value);
    w.Byte(usa ? 0 : ZoneCodeA(zone));
    w.Byte(usa ? 11 : ZoneCodeB(zone, in));
    w.Bytes({0x10, 0x00, 0x00, 0x00, 0x00});
    w.Byte(usa ? 0x0F : 0x01);
    w.Bytes({0x03, 0x00, 0x00, 0x12, 0x00, 0x0F, 0x0A, 0x00, 0x20});
    w.Byte(setting.byte);
    w.Byte(usa ? 0x03 : 0x00);
    w.Byte(planType4 ? 2 : 0);
    w.Byte(0x01);
    w.Word(planType4 ? 10700 : 5950);
    w.Zeros(2);
    w.Word(setting.word);
    w.Bytes({0x00, 0x0A, 0x00, 0x00, 0x00});
    if (usa) {
        w.Bytes({0x00, 0x00, 0x0A, 0x00});
        // The USA layout has no zone byte here; the following bytes move up by one and an
        // extra 0x02 closes the gap.
        w.Bytes({0x00, 0x00, 0x06, 0x02, 0x02});
    } else {
        w.Byte(zone == 4 || (zone == 1 && planType4) ? 9 : 0);
        w.Byte(in.threeFpgaConfigurations ? 6 : 2);
        w.Byte(in.threeFpgaConfigurations ? 7 : 4);
        w.Byte(0x02);
        w.Byte(zone == 0 || zone == 4 ? 1 : 0);
        w.Bytes({0x00, 0x00, 0x06, 0x02});
    }
    w.Zeros(15);
    w.Bytes({0x0A, 0x06, 0x00, 0x00, 0x0A, 0x32, 0x00, 0x19, 0x00, 0x01,  //
             0x07, 0x00, 0x01, 0x01, 0x00, 0x01, 0x02, 0x00, 0x01, 0x32});
    w.Byte(usa ? 0x01 : 0x00);
    w.Bytes({0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0x00});
    WriteFrequenciesMHz(w, EightBandTableKHz(zone));
    // The USA layout places the offsets 12 bytes later and follows them with 0x01, which
    // moves everything after them by 13 bytes.
    w.Zeros(usa ? 33 : 21);
    for (std::int16_t value : kOffsets)
        w.SignedWord(value);
    if (usa)
        w.Byte(0x01);
    w.Bytes({0x0A, 0x00, 0xFF, 0x00});
    for (std::uint16_t value : kSteps)
        w.Word(value);
    w.Zeros(20);
    if (in.modelKnown)
        w.Bytes({0x14, 0x00, 0xFF});
    w.Zeros(5);
    w.EndConfigRecord();
}

}  // namespace kell
