// The placeholder main firmware: data in the segments the real image fills, with a few gaps, the
// version texts at 0x18:0x0010 and 0x18:0x0016, and the last segment sized so that the text is
// exactly kMainFirmwareHexLength characters long.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "payloads/generator/byte_source.h"
#include "payloads/generator/generated_payloads.h"
#include "payloads/generator/intel_hex_writer.h"

namespace kell::payloads {
namespace {

constexpr std::size_t kRecordBytes = 32;
constexpr std::uint8_t kVersionSegment = 0x18;
constexpr std::uint8_t kLastSegment = 0x1E;  // the channel-plan page, filled to the exact length

struct DataRange {
    std::uint8_t segment;
    std::uint32_t begin;
    std::uint32_t end;
};

// Segments 0x00, 0x02-0x16, 0x18-0x1C in order; a segment absent here is full.
constexpr DataRange kPartialSegments[] = {
    {0x00, 0x0000, 0x8000}, {0x00, 0x8100, 0x10000},  // gap of 256 bytes
    {0x07, 0x0000, 0x4000}, {0x07, 0x4400, 0x10000},  // gap of 1 KiB
    {0x10, 0x0000, 0xF000},                           // ends early
    {0x14, 0x0000, 0x2000}, {0x14, 0x2040, 0xC000},   // gap of one 64-byte line
    {0x18, 0x0020, 0xC000},                           // after the version texts
    {0x1A, 0x0000, 0x9000}, {0x1B, 0x0000, 0x6000},  {0x1C, 0x0000, 0x4000}, {0x1C, 0x8000, 0x9000},
};

std::vector<DataRange> RangesBeforeLastSegment() {
    std::vector<DataRange> ranges;
    for (int segment = 0x00; segment <= 0x1C; ++segment) {
        if (segment == 0x01 || segment == 0x17) {
            continue;
        }
        bool partial = false;
        for (const DataRange& r : kPartialSegments) {
            if (r.segment == segment) {
                ranges.push_back(r);
                partial = true;
            }
        }
        if (!partial) {
            ranges.push_back({static_cast<std::uint8_t>(segment), 0x0000, 0x10000});
        }
    }
    return ranges;
}

void WriteRange(IntelHexWriter& hex, ByteSource& bytes, std::uint32_t begin, std::uint32_t end) {
    std::uint8_t data[kRecordBytes];
    for (std::uint32_t address = begin; address < end; address += kRecordBytes) {
        const std::size_t n = std::min<std::size_t>(kRecordBytes, end - address);
        bytes.Fill({data, n});
        hex.Data(static_cast<std::uint16_t>(address), {data, n});
    }
}

// Each text in a 6-byte record that ends in zero bytes, as the instrument reads 6 bytes there.
void WriteVersionTexts(IntelHexWriter& hex) {
    const std::string_view version = kMainFirmwareVersion;
    std::uint8_t release[6] = {};
    std::uint8_t build[6] = {};
    std::copy_n(version.begin(), 4, release);
    std::copy_n(version.begin() + 5, 5, build);
    hex.Data(0x0010, release);
    hex.Data(0x0016, build);
}

// Records from address 0 that take exactly `characters` characters of text: as many 32-byte
// records as fit, the last few shorter.
void WriteFill(IntelHexWriter& hex, ByteSource& bytes, std::size_t characters) {
    const std::size_t full = IntelHexWriter::LineLength(kRecordBytes);
    std::size_t records = (characters + full - 1) / full;
    // Every record adds an odd number of characters, so the count's parity is fixed.
    if ((characters - IntelHexWriter::LineLength(0) * records) % 2 != 0) {
        ++records;
    }
    std::size_t dataBytes = (characters - IntelHexWriter::LineLength(0) * records) / 2;
    if (dataBytes > 0x10000 || dataBytes < records) {
        throw std::logic_error("the main firmware layout does not fit its length");
    }
    std::uint8_t data[kRecordBytes];
    std::uint32_t address = 0;
    for (std::size_t left = records; left > 0; --left) {
        const std::size_t n = std::min(kRecordBytes, dataBytes - (left - 1));
        bytes.Fill({data, n});
        hex.Data(static_cast<std::uint16_t>(address), {data, n});
        address += static_cast<std::uint32_t>(n);
        dataBytes -= n;
    }
}

}  // namespace

std::vector<std::uint8_t> GenerateMainFirmwareHex() {
    IntelHexWriter hex(IntelHexWriter::Digits::kUpper);
    ByteSource bytes(SeedOf(PayloadKind::kMainFirmwareHex, 0));
    int segment = -1;
    for (const DataRange& range : RangesBeforeLastSegment()) {
        if (range.segment != segment) {
            segment = range.segment;
            hex.ExtendedLinearAddress(range.segment);
            if (segment == kVersionSegment) {
                WriteVersionTexts(hex);
            }
        }
        WriteRange(hex, bytes, range.begin, range.end);
    }
    hex.ExtendedLinearAddress(kLastSegment);
    const std::size_t endOfFile = IntelHexWriter::LineLength(0);
    WriteFill(hex, bytes, kMainFirmwareHexLength - hex.size() - endOfFile);
    hex.EndOfFile();
    return hex.Take();
}

}  // namespace kell::payloads
