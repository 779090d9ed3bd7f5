#include "app/version_rules.h"

#include <charconv>
#include <cstdio>

namespace kell {
namespace {

constexpr std::string_view kAbove180Reference = "1.80.00014";
constexpr std::string_view kBelow189Reference = "1.89.00003";
constexpr int kReleaseFirst = 1, kReleaseLast = 4;
constexpr int kBuildFirst = 6, kBuildLast = 10;
// The two thresholds leave the build's first digit out of their comparison.
constexpr int kThresholdBuildFirst = 7;

constexpr std::uint16_t kModuleFirstReleasedVersion = 162;
constexpr std::uint8_t kModuleSilent = 0xFF;

// Characters compare by their codes, as unsigned bytes.
int Compare(std::string_view a, std::string_view b, int position) {
    const auto x = static_cast<unsigned char>(VersionChar(a, position));
    const auto y = static_cast<unsigned char>(VersionChar(b, position));
    return x < y ? -1 : (x > y ? 1 : 0);
}

// The result of an ordered comparison over positions first..last: the instrument is older when
// it is smaller at the first position that differs.
bool OlderInOrder(std::string_view program, std::string_view instrument, int first, int last) {
    for (int p = first; p <= last; ++p) {
        const int c = Compare(instrument, program, p);
        if (c != 0)
            return c < 0;
    }
    return false;
}

}  // namespace

char VersionChar(std::string_view version, int position) {
    if (position < 1 || static_cast<std::size_t>(position) > version.size())
        return '\0';
    return version[static_cast<std::size_t>(position) - 1];
}

bool IsReleaseBuild(std::string_view version) {
    for (int p = kBuildFirst; p <= kBuildLast; ++p) {
        if (VersionChar(version, p) != '0')
            return false;
    }
    return true;
}

bool FirmwareUpdateNeeded(std::string_view programVersion, std::string_view instrumentVersion) {
    if (!IsReleaseBuild(programVersion))
        return OlderInOrder(programVersion, instrumentVersion, kReleaseFirst, kBuildLast);
    // A release program brings an instrument on a test build back to the release.
    if (!IsReleaseBuild(instrumentVersion))
        return true;
    return OlderInOrder(programVersion, instrumentVersion, kReleaseFirst, kReleaseLast);
}

bool FirmwareAbove180(std::string_view instrumentVersion) {
    bool greater = false;
    bool smaller = false;
    for (int p = kReleaseFirst; p <= kReleaseLast; ++p) {
        const int c = Compare(instrumentVersion, kAbove180Reference, p);
        greater = greater || c > 0;
        smaller = smaller || c < 0;
    }
    if (!greater && !smaller) {
        for (int p = kThresholdBuildFirst; p <= kBuildLast; ++p)
            greater = greater || Compare(instrumentVersion, kAbove180Reference, p) > 0;
    }
    return greater;
}

bool FirmwareBelow189(std::string_view instrumentVersion) {
    bool smaller = false;
    bool differed = false;
    for (int p = kReleaseFirst; p <= kReleaseLast; ++p) {
        const int c = Compare(instrumentVersion, kBelow189Reference, p);
        differed = differed || c != 0;
        if (c > 0)
            break;
        smaller = smaller || c < 0;
    }
    if (!differed) {
        for (int p = kThresholdBuildFirst; p <= kBuildLast; ++p)
            smaller = smaller || Compare(instrumentVersion, kBelow189Reference, p) < 0;
    }
    return smaller;
}

std::string FpgaVersionText(std::uint8_t major, std::uint8_t minor) {
    char text[8];
    std::snprintf(text, sizeof text, "%d.%d", major, minor);
    return text;
}

bool FpgaUpdateNeeded(std::uint8_t major, std::uint8_t minor) {
    return FpgaVersionText(major, minor) != kCarriedFpgaVersion;
}

int PlansTypeFromByte(std::uint8_t stored) {
    return stored > 4 ? 0 : stored;
}

int PlansExpectedVersion(int plansType) {
    static constexpr int kExpected[] = {112, 103, 122, 102, 111};
    return plansType >= 0 && plansType <= 4 ? kExpected[plansType] : kExpected[0];
}

bool ModuleUpdateNeeded(const ModuleVersions& versions) {
    if (versions.softwareVersion == 0)
        return false;
    if (versions.bootVersion == kModuleSilent || versions.decodersVersion == kModuleSilent)
        return false;
    if (versions.softwareVersion < kModuleFirstReleasedVersion)
        return true;
    return versions.build != 0;
}

std::optional<int> PortNumberFromName(std::string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != "COM")
        return std::nullopt;
    int number = 0;
    const char* first = name.data() + 3;
    const auto [end, error] = std::from_chars(first, name.data() + name.size(), number);
    if (error != std::errc() || end == first || number < 1)
        return std::nullopt;
    return number;
}

}  // namespace kell
