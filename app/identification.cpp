// What the instrument is and holds, and the update plan made from it.
#include <array>
#include <span>

#include "app/instrument_versions.h"
#include "app/ventana_brisca.h"
#include "app/version_rules.h"
#include "link/device_queries.h"
#include "link/shared_frames.h"

namespace kell {
namespace {

// Where the instrument keeps what identification reads: (function, address); the length is the
// reading's.
struct MemoryRead {
    std::uint8_t function;
    std::uint16_t address;
};
constexpr MemoryRead kHardwareType{0x00, 0x6030};
constexpr MemoryRead kRegionBlock{0x18, 0x0000};
constexpr MemoryRead kPlanTable{0x1E, 0x0000};
constexpr MemoryRead kFpgaDirectory{0x30, 0x0000};

constexpr std::size_t kRegionOffset = 12;
constexpr std::size_t kRegionEnd = 15;
constexpr std::uint8_t kTeskType = 3;
constexpr std::uint8_t kOrvoType = 4, kOrvoVariant = 2;
constexpr int kZoneLimit = 9;
constexpr std::uint32_t kModuleRestartMs = 5000;

// One memory read of `Bytes` bytes, asked until two of its replies agree.
template <std::size_t Bytes>
AgreedReading<std::array<std::uint8_t, Bytes>> ReadAgreed(LinkContext& link,
                                                          const MemoryRead& read) {
    return ReadAgreedMemoryBytes<Bytes>(link, read.function, read.address);
}

}  // namespace

void Tventana_brisca::ReadInstrumentAtConnect() {
    LinkContext link = Link();
    identification_.readingsAgreed = true;
    // The zone and the stored setting choose the configuration records the session writes.
    identification_.zoneCode = Decided(ReadAgreedParameter(link, kParameterZone));
    const AgreedReading<int> setting = ReadAgreedParameter(link, kParameter562);
    identification_.parameter562 = static_cast<std::uint8_t>(Decided(setting));
    identification_.parameter562Valid = setting.Agreed();
    if (identification_.parameter562Valid)
        identification_.parameter571 =
            static_cast<std::uint16_t>(Decided(ReadAgreedParameter(link, kParameter571)));
    if ((identification_.zoneCode & 0x3F) > kZoneLimit)
        identification_.zoneCode = 1;
    PlanUpdate();
}

void Tventana_brisca::PlanUpdate() {
    for (CheckBox* mark : {&controls.Check_firmware, &controls.Check_fpga, &controls.Check_teclado,
                           &controls.Check_planes, &controls.Check_borrar,
                           &controls.Check_configuracion, &controls.Check_mpeg4_apl})
        mark->checked = false;

    controls.Check_firmware.checked = CheckFirmware();
    controls.Check_fpga.checked = CheckFpga();
    // No step of the identification asks for the keypad.
    controls.Check_teclado.checked = false;

    LinkContext link = Link();
    const auto table = Decided(ReadAgreed<6>(link, kPlanTable));
    int type = table[4];
    // Types above 3 are judged as type 0; a type-4 instrument is thus always marked, and the
    // plans step compares its versions itself.
    if (type > 3)
        type = 0;
    controls.Check_planes.checked = CheckPlans(type, table);

    controls.Check_mpeg4_apl.checked = CheckModule();
    if (controls.Check_mpeg4_apl.checked)
        controls.Check_firmware.checked = true;
    // A new main firmware brings the FPGA set, the zone and the module with it.
    if (controls.Check_firmware.checked)
        controls.Check_fpga.checked = controls.Check_configuracion.checked =
            controls.Check_mpeg4_apl.checked = true;
}

bool Tventana_brisca::CheckFirmware() {
    identification_.modelKnown = false;
    identification_.usaUnit = false;
    LinkContext link = Link();

    // Each read is asked until two replies agree: twice when nothing is spoiled on the line.
    const auto type = Decided(ReadAgreed<16>(link, kHardwareType));
    if (type[1] == kTeskType) {
        controls.Image_Tesk.visible = true;
        controls.Image_Orvo.visible = false;
        identification_.modelKnown = true;
    } else if (type[1] == kOrvoType && type[0] == kOrvoVariant) {
        controls.Image_Tesk.visible = false;
        controls.Image_Orvo.visible = true;
        identification_.modelKnown = true;
    } else {
        return false;
    }
    Events().InstrumentIdentified(controls.Image_Tesk.visible ? InstrumentModel::Tesk
                                                              : InstrumentModel::Orvo);

    auto region = Decided(ReadAgreed<16>(link, kRegionBlock));
    region[kRegionEnd] = 0;
    identification_.usaUnit = TextUpToZero(std::span(region).subspan(kRegionOffset)) == "USA";

    identification_.instrumentVersion = Decided(ReadFirmwareVersion(link));
    identification_.firmwareAbove180 = FirmwareAbove180(identification_.instrumentVersion);
    identification_.firmwareBelow189 = FirmwareBelow189(identification_.instrumentVersion);
    return FirmwareUpdateNeeded(EmbeddedVersion(), identification_.instrumentVersion);
}

bool Tventana_brisca::CheckFpga() {
    // The bootstrap mode runs no firmware that could report the FPGA set.
    if (connection_.bootstrapReply)
        return false;
    LinkContext link = Link();
    const auto directory = Decided(ReadAgreed<16>(link, kFpgaDirectory));
    return FpgaUpdateNeeded(directory[11], directory[10]);
}

bool Tventana_brisca::CheckPlans(int expectedType, const std::array<std::uint8_t, 6>& table) {
    identification_.plansType = PlansTypeFromByte(table[4]);
    // Taken before the type is compared: the update sequence compares a plan of type 4 (which
    // is compared here as type 0) with its own version, and must not do so with a version
    // left from nothing or from another instrument.
    identification_.plansStoredVersion = table[2] * 256 + table[3];
    if (identification_.plansType != expectedType)
        return true;
    identification_.plansExpectedVersion = PlansExpectedVersion(expectedType);
    return identification_.plansStoredVersion != identification_.plansExpectedVersion;
}

bool Tventana_brisca::CheckModule() {
    LinkContext link = Link();
    const auto connectIfNeeded = [this] {
        if (!connection_.connected)
            Boton_ConectarClick();
        return connection_.connected;
    };
    identification_.ModuleVersions = Decided(ReadAgreedModuleVersions(link, connectIfNeeded));

    if (identification_.ModuleVersions.softwareVersion == 0) {
        // A module that reports no software yet is still starting: leave the link, give the
        // instrument time, and ask once more.
        const std::uint8_t bye = kEndOfLink;
        monitorPSerie.Write(&bye, 1);
        monitorPSerie.Close();
        connection_.connected = false;
        seams.pump.PumpOnce();
        seams.clock.SleepMs(kModuleRestartMs);
        Reconnect();
        // Reconnect has already told the user when it failed; a new connection from here
        // would identify the instrument again from inside its own identification.
        identification_.ModuleVersions =
            Decided(ReadAgreedModuleVersions(link, [this] { return connection_.connected; }));
        if (identification_.ModuleVersions.softwareVersion == 0)
            return false;
    }
    return ModuleUpdateNeeded(identification_.ModuleVersions);
}

}  // namespace kell
