#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/scenario.h"
#include "sim/sparse_memory.h"

// Where the instrument keeps what the PC reads and writes, and the one place that lays a
// scenario's facts out in it.
namespace kell::sim {

// Working memory (read with function 0x00; no commit touches it).
inline constexpr std::uint32_t kIdentityAddress = 0x006000;      // 16 bytes, the first 7 used
inline constexpr std::uint32_t kOptionBlockAddress = 0x006010;   // 32 bytes, byte 26 bit 5
inline constexpr std::uint32_t kHardwareTypeAddress = 0x006030;  // bytes 0 and 1
inline constexpr std::uint32_t kLevelAddress = 0x00FEA0;         // low byte

// Flash: 256 segments (sectors) of 64 KiB; segment s is read with function s.
inline constexpr std::uint8_t kFirmwareVersionSegment = 0x18;
inline constexpr std::uint32_t kReleaseTextAddress = 0x180010;  // "2.04" and two zeros
inline constexpr std::uint32_t kBuildTextAddress = 0x180016;    // "00000" and a zero
inline constexpr std::uint32_t kRegionSize = 16;                // 0x18:0x0000-0x000F, kept apart
inline constexpr std::uint32_t kRegionTextOffset = 12;
inline constexpr std::uint8_t kPlanSegment = 0x1E;  // channel plans: 0x1E and 0x1F
inline constexpr std::uint8_t kFpgaSegment = 0x30;  // FPGA set: sectors 48 on

// Staging memory: the 24-bit space the 0x03 blocks address (bank << 16 | address), RAM that the
// loader fills and copies from. A commit flag k copies staging bank k + 0xAB into flash segment
// k. Within one boot a block may overwrite what an earlier one put there (the plan table goes
// over the firmware's own plan page); what was written before a restart is stale and must be
// erased before new blocks go to its bank.
inline constexpr std::uint8_t kStagingBankOffset = 0xAB;
inline constexpr int kCommitPages = 64;
inline constexpr std::uint8_t kLowestBank = 0x80;  // no memory answers below it
inline constexpr std::uint32_t kModuleApplicationAddress = 0xB00000;
inline constexpr std::uint32_t kModuleSecondImageAddress = 0x810000;
// The screen raster (2 bytes a pixel, 320 pixels a row) is display memory: blocks overwrite it
// freely, where staging memory must be erased first.
inline constexpr std::uint32_t kRasterBytes = 320 * 2 * 240;

// The loader's RAM buffer that 0x5A frames fill and 0x5B frames program from: room for a
// pair of sectors. An even sector takes its bytes from offset 0, an odd one from 0x10000.
inline constexpr std::uint32_t kRamBufferSize = 0x20000;

inline std::uint8_t StagingBankOfPage(int page) {
    return static_cast<std::uint8_t>(page + kStagingBankOffset);
}

struct InstrumentMemory {
    SparseMemory working{0x00};
    SparseMemory flash{0xFF};
    SparseMemory staging{0xFF};
    SparseMemory ram{0x00};
    std::array<std::uint8_t, kRegionSize> region{};
    std::map<char, SparseMemory> eeprom;  // by area letter; address bank << 16 | address
    // Per staging bank, the boot (count of restarts) in which it was last written since its
    // last erase, or kErased.
    static constexpr int kErased = -1;
    std::array<int, 256> stagingBoot = MakeErased();

    void EraseStagingBank(std::uint8_t bank) {
        staging.ErasePage(bank);
        stagingBoot[bank] = kErased;
    }
    bool StagingBankWritten(std::uint8_t bank) const { return stagingBoot[bank] != kErased; }

    // Lays the scenario's facts out: identity, option block, hardware type, level, region,
    // firmware version texts, plan header and FPGA directory.
    void Load(const Scenario& scenario);
    void SetIdentity(const std::vector<std::uint8_t>& identity);

    // What a 0x01 memory read of `count` bytes at function (segment) and address returns.
    std::vector<std::uint8_t> ReadFunction(std::uint8_t function, std::uint16_t address,
                                           std::size_t count) const;
    SparseMemory& Eeprom(char letter);
    std::vector<std::uint8_t> Eeprom(char letter, std::uint32_t address, std::size_t count) const;

    // The firmware version text as the PC builds it from its two reads.
    std::string FirmwareVersion() const;
    std::string RegionText() const;

  private:
    static std::array<int, 256> MakeErased() {
        std::array<int, 256> a{};
        a.fill(kErased);
        return a;
    }
};

}  // namespace kell::sim
