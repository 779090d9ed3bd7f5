#include <span>

#include "config/eeprom_write.h"
#include "config/param_defecto.h"
#include "config/zone_records.h"

namespace kell {

namespace {

constexpr std::uint8_t kRecordStart = 0xA0;

constexpr std::uint8_t kParameterBank = 8;
constexpr std::uint16_t kFactoryBase = 0x0100;
constexpr std::uint16_t kDefaultBase = 0x0200;
// The second half stops short of the area's end: bytes 254 and 255 are never written.
constexpr std::size_t kGeneralFirstHalf = 128;
constexpr std::size_t kGeneralSecondHalf = 126;
constexpr std::uint32_t kPauseBetweenHalvesMs = 1000;

constexpr std::uint8_t kListBank = 3;
constexpr std::uint16_t kListPrimaryBase = 0x0300;
constexpr std::uint16_t kListSecondaryBase = 0x0380;
constexpr std::size_t kListBlock = 32;

constexpr std::uint8_t kUserBandBank = 9;
constexpr std::uint16_t kUserBandPrimaryBase = 0x1000;
constexpr std::uint16_t kUserBandSecondaryBase = 0x1200;
constexpr std::size_t kUserBandBlock = 128;

// The instrument stores these records slowly; it gets time before the next request.
constexpr std::uint32_t kSettleMs = 2000;

constexpr std::uint16_t kProfileBase = 0x0300;
constexpr std::size_t kProfileBlock = 128;
constexpr std::size_t kProfileTableSize = kProfileCount * kProfileSlotSize;

constexpr std::uint8_t kClosingBank = 0x0C;
constexpr std::uint16_t kClosingAddress = 0x0117;

constexpr const char* kNotIdentifiedText = "Medidor no identificado: configuracion no grabada";

bool HoldsRecord(const RecordArea& area) {
    return area[0] == kRecordStart;
}

void DrainAndSettle(LinkContext& link) {
    link.serial.Drain();
    link.clock.SleepMs(kSettleMs);
    link.serial.Drain();
    link.clock.SleepMs(kSettleMs);
}

}  // namespace

void TFParam_defecto::BuildGeneralRecord(std::uint8_t zoneValue) {
    kell::BuildGeneralRecord(areas, facts.records, zoneValue);
}

void TFParam_defecto::BuildListRecord() {
    kell::BuildListRecord(areas);
}

void TFParam_defecto::BuildUserBandRecord(std::uint8_t zoneValue) {
    kell::BuildUserBandRecord(areas, zoneValue);
}

void TFParam_defecto::BuildProfile(int profile, int zone) {
    kell::BuildProfile(areas, facts.records, profile, zone);
}

void TFParam_defecto::BuildZoneRecords() {
    BuildGeneralRecord(facts.records.zoneCode);
    BuildListRecord();
    BuildUserBandRecord(facts.records.zoneCode);
}

bool TFParam_defecto::RefuseUnidentified() {
    Panel_estado.caption = kNotIdentifiedText;
    return false;
}

// A zeroed area would overwrite the instrument's record with zeros: an area that was never
// built gets the connected instrument's record first, or is not written at all.
bool TFParam_defecto::HaveRecord(const RecordArea& area, const std::function<void()>& build) {
    if (HoldsRecord(area))
        return true;
    if (!facts.identified)
        return RefuseUnidentified();
    build();
    return true;
}

bool TFParam_defecto::WriteGeneralCopy(std::uint16_t base) {
    if (!HaveRecord(areas.generalRecord, [this] { BuildGeneralRecord(facts.records.zoneCode); }))
        return false;
    LinkContext& link = session.link;
    const RecordArea record = areas.generalRecord;
    const std::span<const std::uint8_t> bytes(record);
    link.serial.Drain();
    if (!WriteEepromBlock(link, EepromArea::Parameters, kParameterBank, base,
                          bytes.first(kGeneralFirstHalf), AckWait::Short))
        return false;
    link.clock.SleepMs(kPauseBetweenHalvesMs);
    const bool ok =
        WriteEepromBlock(link, EepromArea::Parameters, kParameterBank,
                         static_cast<std::uint16_t>(base + kGeneralFirstHalf),
                         bytes.subspan(kGeneralFirstHalf, kGeneralSecondHalf), AckWait::Short);
    link.clock.SleepMs(kPauseBetweenHalvesMs);
    link.serial.Drain();
    return ok;
}

bool TFParam_defecto::WriteListCopy(std::uint16_t base) {
    if (facts.firmwareBelow189)
        return true;
    if (!HaveRecord(areas.listRecord, [this] { BuildListRecord(); }))
        return false;
    LinkContext& link = session.link;
    const RecordArea record = areas.listRecord;
    const std::span<const std::uint8_t> bytes(record);
    link.serial.Drain();
    bool ok = WriteEepromBlock(link, EepromArea::Lists, kListBank, base, bytes.first(kListBlock),
                               AckWait::Long);
    link.serial.Drain();
    if (!ok)
        return false;
    ok = WriteEepromBlock(link, EepromArea::Lists, kListBank,
                          static_cast<std::uint16_t>(base + kListBlock),
                          bytes.subspan(kListBlock, kListBlock), AckWait::Long);
    DrainAndSettle(link);
    return ok;
}

bool TFParam_defecto::WriteUserBandCopy(std::uint16_t base) {
    if (facts.firmwareBelow189)
        return true;
    if (!HaveRecord(areas.userBandRecord, [this] { BuildUserBandRecord(facts.records.zoneCode); }))
        return false;
    LinkContext& link = session.link;
    const RecordArea record = areas.userBandRecord;
    const bool ok = WriteEepromBlock(link, EepromArea::UserBands, kUserBandBank, base,
                                     std::span<const std::uint8_t>(record).first(kUserBandBlock),
                                     AckWait::Long);
    link.serial.Drain();
    if (ok)
        DrainAndSettle(link);
    return ok;
}

bool TFParam_defecto::WriteFactoryConfiguration() {
    return WriteGeneralCopy(kFactoryBase);
}

bool TFParam_defecto::WriteDefaultConfiguration() {
    return WriteGeneralCopy(kDefaultBase);
}

bool TFParam_defecto::WriteListPrimary() {
    return WriteListCopy(kListPrimaryBase);
}

bool TFParam_defecto::WriteListSecondary() {
    return WriteListCopy(kListSecondaryBase);
}

bool TFParam_defecto::WriteUserBandsPrimary() {
    return WriteUserBandCopy(kUserBandPrimaryBase);
}

bool TFParam_defecto::WriteUserBandsSecondary() {
    return WriteUserBandCopy(kUserBandSecondaryBase);
}

bool TFParam_defecto::WriteProfiles() {
    if (!facts.identified)
        return RefuseUnidentified();
    const int zone = ZoneNumber(facts.records.zoneCode);
    for (int profile = 0; profile < kProfileCount; ++profile)
        BuildProfile(profile, zone);
    const std::span<const std::uint8_t> table(areas.profileArea.data(), kProfileTableSize);
    for (std::size_t offset = 0; offset < kProfileTableSize; offset += kProfileBlock) {
        if (!WriteEepromBlock(session.link, EepromArea::Parameters, kParameterBank,
                              static_cast<std::uint16_t>(kProfileBase + offset),
                              table.subspan(offset, kProfileBlock), AckWait::Short))
            return false;
    }
    return true;
}

bool TFParam_defecto::SendClosingFrame() {
    LinkContext& link = session.link;
    link.serial.Drain();
    const bool ok = WriteEepromBlock(link, EepromArea::Closing, kClosingBank, kClosingAddress, {},
                                     AckWait::Long);
    link.serial.Drain();
    return ok;
}

}  // namespace kell
