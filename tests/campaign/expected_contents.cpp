#include "tests/campaign/expected_contents.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "payloads/payloads.h"
#include "tests/support/bytes.h"
#include "tests/support/expected_fpga_set.h"
#include "tests/support/hex_records.h"

namespace kell::testing {
namespace {

constexpr std::uint32_t kSegment = 0x10000;
constexpr int kPlanPage = 0x1E;
constexpr int kPlanSpillPage = 0x1F;
constexpr std::uint32_t kRegionBytes = 16;  // 0x18:0x0000-0x000F is the instrument's own
constexpr std::uint32_t kSecondPlanSectorOffset = 0xFFFF;

// The records of an Intel HEX text up to its end record.
std::vector<HexRecord> RecordsOf(std::span<const std::uint8_t> text) {
    std::vector<HexRecord> records;
    for (const TextLine& line : SplitLines(text)) {
        HexRecord record;
        if (!ReadRecord(line.text, &record))
            continue;
        records.push_back(record);
        if (record.type == 1)
            break;
    }
    return records;
}

// The embedded main firmware by 64 KiB page: its bytes and which of them the image fills.
struct FirmwarePages {
    std::array<Bytes, 64> bytes;
    std::array<std::vector<bool>, 64> filled;
};
const FirmwarePages& EmbeddedFirmware() {
    static const FirmwarePages pages = [] {
        FirmwarePages p;
        std::uint32_t upper = 0;
        for (const HexRecord& line : RecordsOf(payloads::MainFirmwareHex())) {
            if (line.type == 4 && line.data.size() >= 2)
                upper = static_cast<std::uint32_t>(line.data[0] << 8 | line.data[1]);
            if (line.type != 0)
                continue;
            for (std::size_t i = 0; i < line.data.size(); ++i) {
                const std::uint32_t address = (upper << 16) + line.address + i;
                const std::size_t page = address >> 16;
                if (page >= p.bytes.size())
                    continue;
                if (p.bytes[page].empty()) {
                    p.bytes[page].assign(kSegment, 0xFF);
                    p.filled[page].assign(kSegment, false);
                }
                p.bytes[page][address & 0xFFFF] = line.data[i];
                p.filled[page][address & 0xFFFF] = true;
            }
        }
        return p;
    }();
    return pages;
}

// The keypad image's 64-byte blocks, then its security record and its checksum record.
struct KeypadImage {
    std::vector<Bytes> blocks;
    Bytes security;
    Bytes checksum;
};
const KeypadImage& EmbeddedKeypad() {
    static const KeypadImage image = [] {
        KeypadImage k;
        Bytes* next = nullptr;
        for (const HexRecord& line : RecordsOf(payloads::KeypadHex())) {
            if (line.type == 4) {
                next = line.data == Bytes{0x00, 0x10} ? &k.security : &k.checksum;
            } else if (line.type == 0 && next) {
                *next = line.data;
                next = nullptr;
            } else if (line.type == 0) {
                k.blocks.push_back(line.data);
            }
        }
        return k;
    }();
    return image;
}

Bytes ToBytes(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

// The first address where `held` differs from `expected`, as text for a report.
std::string FirstDifference(const Bytes& held, const Bytes& expected, std::uint32_t base) {
    const auto [a, b] = std::mismatch(held.begin(), held.end(), expected.begin(), expected.end());
    return Hex(base + static_cast<std::uint32_t>(a - held.begin()));
}

void CompareFirmware(const sim::Instrument& instrument, std::vector<std::string>& out) {
    const FirmwarePages& image = EmbeddedFirmware();
    for (std::size_t page = 0; page < image.bytes.size(); ++page) {
        if (image.bytes[page].empty() || page == kPlanPage || page == kPlanSpillPage)
            continue;
        const Bytes held = instrument.FlashSegment(static_cast<std::uint8_t>(page));
        for (std::uint32_t i = 0; i < kSegment; ++i) {
            if (page == 0x18 && i < kRegionBytes)
                continue;
            if (image.filled[page][i] && held[i] != image.bytes[page][i]) {
                out.push_back("firmware differs at " +
                              Hex(static_cast<std::uint32_t>(page << 16) + i));
                break;
            }
        }
    }
}

void ComparePlans(const sim::Instrument& instrument, bool throughFirmware, int planType,
                  std::vector<std::string>& out) {
    const Bytes plan = ToBytes(payloads::ChannelPlan(planType));
    const std::uint32_t base = kPlanPage << 16;
    if (throughFirmware || plan.size() <= kSegment) {
        // Staged blocks run on from one page into the next.
        const Bytes held = instrument.Flash(base, plan.size());
        if (held != plan)
            out.push_back("plan differs at " + FirstDifference(held, plan, base));
        return;
    }
    // Programmed by sectors: the second takes the table from its byte 0xFFFF on.
    const Bytes first(plan.begin(), plan.begin() + kSegment);
    const Bytes second(plan.begin() + kSecondPlanSectorOffset, plan.end());
    const Bytes heldFirst = instrument.Flash(base, first.size());
    const Bytes heldSecond = instrument.Flash(kPlanSpillPage << 16, second.size());
    if (heldFirst != first)
        out.push_back("plan differs at " + FirstDifference(heldFirst, first, base));
    if (heldSecond != second)
        out.push_back("plan differs at " +
                      FirstDifference(heldSecond, second, kPlanSpillPage << 16));
}

void CompareKeypad(const sim::Instrument& instrument, std::vector<std::string>& out) {
    const KeypadImage& image = EmbeddedKeypad();
    const sim::KeypadRecord& got = instrument.Keypad();
    if (got.endCode != 18)
        out.push_back("keypad ended with code " + std::to_string(got.endCode));
    bool blocksEqual = got.blocks.size() == image.blocks.size();
    for (std::size_t i = 0; blocksEqual && i < got.blocks.size(); ++i)
        blocksEqual = std::equal(got.blocks[i].begin(), got.blocks[i].end(),
                                 image.blocks[i].begin(), image.blocks[i].end());
    if (!blocksEqual)
        out.push_back("keypad blocks differ (" + std::to_string(got.blocks.size()) + " taken)");
    if (got.security != image.security || got.checksum != image.checksum)
        out.push_back("keypad security or checksum record differs");
}

}  // namespace

EepromSnapshot TakeEepromSnapshot(const sim::Instrument& instrument) {
    return {instrument.Eeprom('R', 8, 0x0040, 0x06FF - 0x0040 + 1),
            instrument.Eeprom('W', 3, 0x0300, 0x0100), instrument.Eeprom('Q', 9, 0x1000, 0x0300)};
}

std::vector<std::string> Differences(const sim::Instrument& instrument,
                                     const UpdatedComponents& updated, const InstrumentTruth& truth,
                                     const EepromSnapshot& records) {
    std::vector<std::string> out;
    if (updated.firmware)
        CompareFirmware(instrument, out);
    if (updated.plans)
        ComparePlans(instrument, updated.firmware, truth.planType, out);
    if (updated.fpga) {
        const Bytes set = ExpectedFpgaSet(truth.threeFpgaConfigurations ? 3 : 2);
        const Bytes held = instrument.Flash(0x300000, set.size());
        if (held != set)
            out.push_back("FPGA set differs at " + FirstDifference(held, set, 0x300000));
    }
    if (updated.module) {
        const sim::ModuleRecord& module = instrument.Module();
        if (!module.finished || module.application != ToBytes(payloads::Mpeg4Application()) ||
            module.secondImage != ToBytes(payloads::Mpeg4SecondImage()))
            out.push_back("module images differ or the module did not finish");
    }
    if (updated.keypad)
        CompareKeypad(instrument, out);
    // The closing records go to every instrument whose session ended well, the zone's with
    // the zone step.
    if (TakeEepromSnapshot(instrument) != records)
        out.push_back("parameter store differs from a session without faults");
    return out;
}

}  // namespace kell::testing
