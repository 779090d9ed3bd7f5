#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "payloads/check/hex_lines.h"
#include "payloads/check/payload_check.h"

namespace kell::payloads {
namespace {

constexpr int kSegments = 64;
constexpr std::uint8_t kVersionSegment = 0x18;
constexpr std::uint16_t kReleaseOffset = 0x0010;
constexpr std::uint16_t kBuildOffset = 0x0016;
constexpr std::size_t kRegionTextBytes = 0x10;  // the instrument's own text at 0x18:0x0000
constexpr std::size_t kMaxDataBytes = 32;       // keeps every streamed block within its limit

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

// "0, 2-22, 24" for the set bits of a page mask.
std::string PageList(std::uint64_t pages) {
    std::string list;
    for (int s = 0; s < kSegments; ++s) {
        if ((pages >> s & 1) == 0) {
            continue;
        }
        int last = s;
        while (last + 1 < kSegments && (pages >> (last + 1) & 1) != 0) {
            ++last;
        }
        list += (list.empty() ? "" : ", ") + std::to_string(s);
        if (last > s) {
            list += "-" + std::to_string(last);
        }
        s = last;
    }
    return list.empty() ? "none" : list;
}

// Where each byte of the 64 segments was written, to refuse records that overlap: one bit a byte.
class WrittenBytes {
  public:
    WrittenBytes() : words_((static_cast<std::size_t>(kSegments) << 16) / 64) {}
    // False when a byte of the range was written before.
    bool Mark(int segment, unsigned offset, unsigned count) {
        std::size_t bit = static_cast<std::size_t>(segment) << 16 | offset;
        bool fresh = true;
        while (count > 0) {
            const unsigned inWord = std::min<unsigned>(count, 64 - bit % 64);
            const std::uint64_t ones =
                inWord == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inWord) - 1;
            const std::uint64_t mask = ones << (bit % 64);
            std::uint64_t& word = words_[bit / 64];
            fresh = fresh && (word & mask) == 0;
            word |= mask;
            bit += inWord;
            count -= inWord;
        }
        return fresh;
    }

  private:
    std::vector<std::uint64_t> words_;
};

// The first bytes of the version segment as the instrument would store them.
class VersionArea {
  public:
    VersionArea() { bytes_.fill(0xFF); }
    void Store(unsigned offset, const HexRecord& record) {
        for (unsigned i = 0; i < record.count && offset + i < bytes_.size(); ++i) {
            bytes_[offset + i] = record.data[i];
        }
        if (offset < kRegionTextBytes && record.count > 0) {
            regionWritten_ = true;
        }
    }
    bool RegionWritten() const { return regionWritten_; }
    // The text of a 6-byte read, up to its first zero byte.
    std::string Read6(unsigned offset) const {
        std::string text;
        for (unsigned i = offset; i < offset + 6 && bytes_[i] != 0; ++i) {
            text += static_cast<char>(bytes_[i]);
        }
        return text;
    }

  private:
    std::array<std::uint8_t, 0x20> bytes_{};
    bool regionWritten_ = false;
};

}  // namespace

std::string ScanMainFirmwareHex(std::span<const std::uint8_t> text, FirmwareHexSummary* summary) {
    *summary = {};
    CrLfLines lines(text);
    WrittenBytes written;
    VersionArea versionArea;
    std::string release, build;
    int segment = -1;
    constexpr std::size_t kNoRun = ~std::size_t{0};
    std::size_t runEnd = kNoRun;  // segment << 16 | offset just past the last data record
    HexRecord record;
    while (!lines.AtEnd()) {
        std::string_view line;
        if (std::string error = lines.Next(&line); !error.empty()) {
            return error;
        }
        const std::size_t n = lines.LineNumber();
        if (std::string error = ParseHexRecord(line, HexCase::kUpper, &record); !error.empty()) {
            return AtLine(n, error);
        }
        ++summary->records;
        if (record.type == 0x01) {
            if (record.count != 0 || record.address != 0) {
                return AtLine(n, "the end-of-file record must read :00000001FF");
            }
            if (!lines.AtEnd()) {
                return AtLine(n, "the text goes on after the end-of-file record");
            }
            if (release.empty() || build.empty()) {
                summary->version.clear();
            } else {
                summary->version = release + "." + build;
            }
            summary->storedRelease = versionArea.Read6(kReleaseOffset);
            summary->storedBuild = versionArea.Read6(kBuildOffset);
            if (versionArea.RegionWritten()) {
                return "segment 0x18 carries data at 0x0000-0x000F, where the instrument keeps "
                       "its region text";
            }
            return "";
        }
        if (record.type == 0x04) {
            if (record.count != 2 || record.address != 0) {
                return AtLine(n, "an extended-linear-address record must read :02000004....");
            }
            if (record.data[0] != 0 || record.data[1] >= kSegments) {
                return AtLine(n, "segment " + Hex4(record.data[0] << 8 | record.data[1]) +
                                     " is beyond the 64 segments of the instrument's flash");
            }
            segment = record.data[1];
            runEnd = kNoRun;
            summary->pages |= std::uint64_t{1} << segment;
            continue;
        }
        if (record.type != 0x00) {
            return AtLine(n, "record type " + Hex2(record.type) + " is not one of 00, 04, 01");
        }
        if (segment < 0) {
            return AtLine(n, "a data record before any extended-linear-address record");
        }
        if (record.count > kMaxDataBytes) {
            return AtLine(n, "a data record of " + std::to_string(record.count) +
                                 " bytes; at most 32 are allowed");
        }
        if (record.address + record.count > 0x10000u) {
            return AtLine(n, "the data run past the end of segment " + Hex2(segment));
        }
        if (!written.Mark(segment, record.address, record.count)) {
            return AtLine(n, "the data overlap data written before in segment " + Hex2(segment));
        }
        const std::size_t start = static_cast<std::size_t>(segment) << 16 | record.address;
        if (start != runEnd) {
            ++summary->runs;
        }
        runEnd = start + record.count;
        ++summary->dataRecords;
        summary->dataRecordsOf32 += record.count == kMaxDataBytes ? 1 : 0;
        summary->dataBytes += record.count;
        if (segment == kVersionSegment) {
            versionArea.Store(record.address, record);
            const std::string chars(record.data.begin(), record.data.begin() + record.count);
            if (record.address == kReleaseOffset) {
                release = chars.substr(0, 4);
            } else if (record.address == kBuildOffset) {
                build = chars.substr(0, 5);
            }
        }
    }
    return "the text ends without an end-of-file record";
}

std::string CheckFirmwareSummary(const FirmwareHexSummary& summary) {
    if (summary.pages != kMainFirmwarePages) {
        return "fills segments " + PageList(summary.pages) + "; the updater expects " +
               PageList(kMainFirmwarePages);
    }
    const std::string expected(kMainFirmwareVersion);
    if (summary.version.empty()) {
        return "has no version records at segment 0x18, offsets 0x0010 and 0x0016";
    }
    if (summary.version != expected) {
        return "carries version \"" + summary.version + "\"; expected \"" + expected + "\"";
    }
    if (summary.storedRelease + "." + summary.storedBuild != expected) {
        return "an instrument that stored it would read the version \"" + summary.storedRelease +
               "." + summary.storedBuild + "\" (each part must end in a zero byte)";
    }
    return "";
}

std::string CheckMainFirmwareHex(std::span<const std::uint8_t> text) {
    FirmwareHexSummary summary;
    if (std::string error = ScanMainFirmwareHex(text, &summary); !error.empty()) {
        return error;
    }
    return CheckFirmwareSummary(summary);
}

}  // namespace kell::payloads
