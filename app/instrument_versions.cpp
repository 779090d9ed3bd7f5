#include "app/instrument_versions.h"

#include <array>

#include "app/version_rules.h"
#include "link/device_queries.h"
#include "link/module_versions.h"

namespace kell {
namespace {

std::string ModuleText(const ModuleVersions& m) {
    return std::to_string(m.softwareVersion) + " build " + std::to_string(m.build) + ", boot " +
           std::to_string(m.bootVersion) + ", decoders " + std::to_string(m.decodersVersion);
}

}  // namespace

std::string TextUpToZero(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

AgreedReading<std::string> ReadFirmwareVersion(LinkContext& link) {
    const auto release = ReadAgreedMemoryBytes<6>(link, 0x18, 0x0010);
    const auto build = ReadAgreedMemoryBytes<6>(link, 0x18, 0x0016);
    const auto either = [&](Agreement a) { return release.agreement == a || build.agreement == a; };
    const Agreement agreement = either(Agreement::Disagreed)    ? Agreement::Disagreed
                                : either(Agreement::Unanswered) ? Agreement::Unanswered
                                                                : Agreement::Agreed;
    return {TextUpToZero(release.value) + "." + TextUpToZero(build.value), agreement};
}

InstrumentVersions ReadInstrumentVersions(LinkContext& link) {
    InstrumentVersions versions;
    const auto agreed = [](const auto& reading) {
        return reading.agreement != Agreement::Disagreed;
    };
    const auto firmware = ReadFirmwareVersion(link);
    versions.firmware = firmware.value;
    versions.firmwareAgreed = agreed(firmware);
    const auto fpga = ReadAgreedMemoryBytes<16>(link, 0x30, 0x0000);
    versions.fpgaMajor = fpga.value[11];
    versions.fpgaMinor = fpga.value[10];
    versions.fpgaAgreed = agreed(fpga);
    const auto plans = ReadAgreedMemoryBytes<6>(link, 0x1E, 0x0000);
    versions.plansTypeByte = plans.value[4];
    versions.plansVersion = plans.value[2] * 256 + plans.value[3];
    versions.plansAgreed = agreed(plans);
    const auto module = ReadAgreedModuleVersions(link);
    versions.module = module.value;
    versions.moduleAgreed = agreed(module);
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
    // A component whose replies never agreed reports nothing that could be judged.
    const bool agreed[] = {v.firmwareAgreed, v.fpgaAgreed, v.plansAgreed, v.moduleAgreed};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        if (!agreed[i]) {
            checks[i].reported = "replies disagree";
            checks[i].current = false;
        }
    }
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
