#include "link/module_versions.h"

#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::uint8_t kVersionRequest = 0xBF;
constexpr std::uint8_t kVersionReply = 0xFB;
constexpr std::uint8_t kSerialRequest = 0xC0;
constexpr std::uint8_t kSerialReply = 0x0C;
constexpr std::int64_t kReplyLimitSeconds = 10;
constexpr std::int64_t kSerialFirstLimitSeconds = 4;
constexpr std::int64_t kSerialFirstLatestSeconds = 3;
constexpr int kSerialNumberBytes = 64;

// Reads two bytes against the deadline; false as soon as one is missing.
bool ReadPair(LinkContext& link, const Deadline& deadline, std::uint8_t& first,
              std::uint8_t& second) {
    const PolledByte a = WaitForByte(link, deadline, Pace::Pumping());
    if (!a.Arrived())
        return false;
    const PolledByte b = WaitForByte(link, deadline, Pace::Pumping());
    if (!b.Arrived())
        return false;
    first = a.value;
    second = b.value;
    return true;
}

}  // namespace

bool ReadModuleVersions(LinkContext& link, ModuleVersions& versions,
                        const std::function<bool()>& ensureConnected) {
    versions = ModuleVersions{};
    if (ensureConnected && !ensureConnected())
        return false;

    link.serial.Drain();
    const std::uint8_t versionRequest = kVersionRequest;
    SendBytes(link, {&versionRequest, 1});
    const Deadline whole(link.clock, kReplyLimitSeconds);
    if (!WaitForByte(link, whole, Pace::Pumping()).Is(kVersionReply))
        return false;
    if (!WaitForByte(link, whole, Pace::Pumping()).Arrived())
        return false;
    std::uint8_t a = 0, b = 0;
    if (!ReadPair(link, whole, a, b))
        return false;
    versions.softwareVersion = static_cast<std::uint16_t>(a << 8 | b);
    if (!ReadPair(link, whole, a, b))
        return false;
    versions.build = static_cast<std::uint16_t>(a << 8 | b);
    if (!ReadPair(link, whole, a, b))
        return false;
    versions.decodersVersion = a;
    versions.bootVersion = b;

    // The serial number is asked for as the module expects it, though nothing uses it.
    link.serial.Drain();
    const std::uint8_t serialRequest = kSerialRequest;
    SendBytes(link, {&serialRequest, 1});
    const Deadline first(link.clock, kSerialFirstLimitSeconds);
    const PolledByte marker = WaitForByte(link, first, Pace::Pumping());
    if (!marker.Is(kSerialReply) || marker.elapsed > kSerialFirstLatestSeconds)
        return true;
    if (!WaitForByte(link, first.WithLimit(kReplyLimitSeconds), Pace::Pumping()).Arrived())
        return true;
    const Deadline serialNumber(link.clock, kReplyLimitSeconds);
    for (int i = 0; i < kSerialNumberBytes; ++i) {
        if (!WaitForByte(link, serialNumber, Pace::Pumping()).Arrived())
            return true;
    }
    return true;
}

AgreedReading<ModuleVersions> ReadAgreedModuleVersions(
    LinkContext& link, const std::function<bool()>& ensureConnected) {
    return ReadUntilTwoAgree([&] {
        Reading<ModuleVersions> reading;
        reading.answered = ReadModuleVersions(link, reading.value, ensureConnected);
        return reading;
    });
}

}  // namespace kell
