#include "sim/memory_map.h"

#include <algorithm>

namespace kell::sim {
namespace {

std::string TextAt(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    for (std::uint8_t b : bytes) {
        if (b == 0)
            break;
        s.push_back(static_cast<char>(b));
    }
    return s;
}

void WriteText(SparseMemory& m, std::uint32_t address, const std::string& text, std::size_t room) {
    std::vector<std::uint8_t> bytes(room, 0x00);
    std::copy_n(text.begin(), std::min(text.size(), room), bytes.begin());
    m.Write(address, bytes);
}

}  // namespace

void InstrumentMemory::Load(const Scenario& s) {
    SetIdentity(s.identity);

    std::vector<std::uint8_t> options(32, 0x00);
    if (!s.threeFpgaConfigurations)
        options[26] |= 0x20;
    working.Write(kOptionBlockAddress, options);

    std::vector<std::uint8_t> hardware(16, 0x00);
    hardware[0] = s.hardwareType[0];
    hardware[1] = s.hardwareType[1];
    working.Write(kHardwareTypeAddress, hardware);
    working.Write(kLevelAddress, s.level);
    working.Write(kLevelAddress + 1, 0x00);

    region.fill(0x00);
    std::copy_n(s.region.begin(), std::min<std::size_t>(s.region.size(), 3),
                region.begin() + kRegionTextOffset);

    WriteText(flash, kReleaseTextAddress, s.firmwareRelease, 6);
    WriteText(flash, kBuildTextAddress, s.firmwareBuild, 6);

    // Plan header: 0, number of plans, plan number (high byte first), plan type.
    flash.Write(static_cast<std::uint32_t>(kPlanSegment) << 16,
                std::vector<std::uint8_t>{0x00, 0x01, static_cast<std::uint8_t>(s.planVersion >> 8),
                                          static_cast<std::uint8_t>(s.planVersion), s.planType});

    // FPGA directory: the count, then one 16-byte entry per configuration with the set's
    // version in bytes 8 (minor) and 9 (major).
    const int count = s.threeFpgaConfigurations ? 3 : 2;
    std::vector<std::uint8_t> directory(2 + 16 * 16, 0xFF);
    directory[0] = static_cast<std::uint8_t>(count);
    directory[1] = 0x00;
    for (int i = 0; i < count; ++i) {
        std::uint8_t* e = directory.data() + 2 + 16 * i;
        std::fill(e, e + 14, 0x00);
        e[0] = static_cast<std::uint8_t>(i);
        e[5] = kFpgaSegment;
        e[8] = s.fpgaMinor;
        e[9] = s.fpgaMajor;
    }
    flash.Write(static_cast<std::uint32_t>(kFpgaSegment) << 16, directory);
}

void InstrumentMemory::SetIdentity(const std::vector<std::uint8_t>& identity) {
    std::vector<std::uint8_t> bytes(16, 0x00);
    std::copy_n(identity.begin(), std::min<std::size_t>(identity.size(), 16), bytes.begin());
    working.Write(kIdentityAddress, bytes);
}

std::vector<std::uint8_t> InstrumentMemory::ReadFunction(std::uint8_t function,
                                                         std::uint16_t address,
                                                         std::size_t count) const {
    std::vector<std::uint8_t> out(count);
    const SparseMemory& source = function == 0x00 ? working : flash;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t offset = static_cast<std::uint16_t>(address + i);
        if (function == kFirmwareVersionSegment && offset < kRegionSize) {
            out[i] = region[offset];
        } else {
            out[i] = source.Read(static_cast<std::uint32_t>(function) << 16 | offset);
        }
    }
    return out;
}

SparseMemory& InstrumentMemory::Eeprom(char letter) {
    return eeprom.try_emplace(letter, std::uint8_t{0xFF}).first->second;
}

std::vector<std::uint8_t> InstrumentMemory::Eeprom(char letter, std::uint32_t address,
                                                   std::size_t count) const {
    auto it = eeprom.find(letter);
    if (it == eeprom.end())
        return std::vector<std::uint8_t>(count, 0xFF);
    return it->second.Read(address, count);
}

std::string InstrumentMemory::FirmwareVersion() const {
    return TextAt(ReadFunction(kFirmwareVersionSegment, 0x0010, 6)) + "." +
           TextAt(ReadFunction(kFirmwareVersionSegment, 0x0016, 6));
}

std::string InstrumentMemory::RegionText() const {
    return TextAt(std::vector<std::uint8_t>(region.begin() + kRegionTextOffset, region.end()));
}

}  // namespace kell::sim
