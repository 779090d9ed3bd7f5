#include "app/instrument_versions.h"

#include <array>

#include "app/version_rules.h"
#include "link/device_queries.h"

namespace kell {
namespace {

// The bytes of one memory read in the order they came on the line (zeros when it failed).
template <std::size_t Words>
std::array<std::uint8_t, Words * 2> ReadBytes(LinkContext& link, std::uint8_t function,
                                              std::uint16_t address) {
    std::array<std::int16_t, Words> words{};
    ReadWords(link, address, words, function, static_cast<std::uint8_t>(Words * 2));
    std::array<std::uint8_t, Words * 2> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = ReplyByte(words, i);
    return bytes;
}

template <std::size_t N>
std::string TextUpToZero(const std::array<std::uint8_t, N>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < N && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

std::string ModuleText(const ModuleVersions& m) {
    return std::to_string(m.softwareVersion) + " build " + std::to_string(m.build) + ", boot " +
           std::to_string(m.bootVersion) + ", decoders " + std::to_string(m.decodersVersion);
}

}  // namespace

InstrumentVersions ReadInstrumentVersions(LinkContext& link) {
    InstrumentVersions versions;
    versions.firmware = TextUpToZero(ReadBytes<3>(link, 0x18, 0x0010)) + "." +
                        TextUpToZero(ReadBytes<3>(link, 0x18, 0x0016));
    const auto fpga = ReadBytes<8>(link, 0x30, 0x0000);
    versions.fpgaMajor = fpga[11];
    versions.fpgaMinor = fpga[10];
    const auto plans = ReadBytes<3>(link, 0x1E, 0x0000);
    versions.plansTypeByte = plans[4];
    versions.plansVersion = plans[2] * 256 + plans[3];
    ReadModuleVersions(link, versions.module);
    return versions;
}

std::vector<ComponentCheck> CheckAgainstCarried(const InstrumentVersions& v,
                                                const std::string& carriedFirmware,
                                                bool firmwarePlanned, bool fpgaPlanned,
                                                bool plansPlanned, bool modulePlanned) {
    std::vector<ComponentCheck> checks;
    checks.push_back({"firmware", v.firmware, carriedFirmware,
                      !FirmwareUpdateNeeded(carriedFirmware, v.firmware), firmwarePlanned});
    checks.push_back({"fpga", FpgaVersionText(v.fpgaMajor, v.fpgaMinor), kCarriedFpgaVersion,
                      !FpgaUpdateNeeded(v.fpgaMajor, v.fpgaMinor), fpgaPlanned});
    // Each plan type has its own carried version; a type-4 instrument is judged by its own.
    const int type = PlansTypeFromByte(v.plansTypeByte);
    const int expected = PlansExpectedVersion(type);
    checks.push_back({"plans",
                      "type " + std::to_string(type) + " version " + std::to_string(v.plansVersion),
                      "type " + std::to_string(type) + " version " + std::to_string(expected),
                      v.plansVersion == expected, plansPlanned});
    // A module that is silent, or still starting (no software yet), proves nothing.
    const ModuleVersions& m = v.module;
    const bool moduleReports =
        m.softwareVersion != 0 && m.bootVersion != 0xFF && m.decodersVersion != 0xFF;
    checks.push_back({"module", moduleReports ? ModuleText(m) : "no answer", "",
                      moduleReports && !ModuleUpdateNeeded(m), modulePlanned});
    return checks;
}

bool AllPlannedCurrent(const std::vector<ComponentCheck>& checks) {
    for (const ComponentCheck& check : checks) {
        if (check.planned && !check.current)
            return false;
    }
    return true;
}

}  // namespace kell
