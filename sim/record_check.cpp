#include "sim/record_check.h"

#include <cstdio>

namespace kell::sim {
namespace {

// The smallest record: the four header bytes, the terminator and the XOR.
constexpr std::size_t kShortest = 6;
// Records live in 256-byte slots.
constexpr std::size_t kLongest = 256;

std::string Hex(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

}  // namespace

std::optional<std::size_t> RecordLength(const RecordKind& kind,
                                        const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 3 || bytes[0] != kind.start)
        return std::nullopt;
    std::size_t n = bytes[1];
    if (kind.wideLength)
        n |= static_cast<std::size_t>(bytes[2]) << 8;
    if (n < kShortest || n > kLongest)
        return std::nullopt;
    return n;
}

std::string CheckRecord(const RecordKind& kind, const std::vector<std::uint8_t>& record) {
    if (record.empty() || record[0] != kind.start) {
        return "does not start with " + Hex(kind.start);
    }
    auto length = RecordLength(kind, record);
    if (!length)
        return "length " + std::to_string(record.size() > 1 ? record[1] : 0) + " is impossible";
    if (record.size() < *length)
        return "holds fewer bytes than its length";
    const std::size_t n = *length;
    if (!kind.wideLength && record[2] != 0)
        return "byte 2 is " + Hex(record[2]) + ", not 0x00";
    if (record[3] != kind.version) {
        return "byte 3 is " + Hex(record[3]) + ", expected " + Hex(kind.version);
    }
    if (record[n - 2] != kind.terminator) {
        return "byte " + std::to_string(n - 2) + " is " + Hex(record[n - 2]) + ", expected " +
               Hex(kind.terminator);
    }
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < n; ++i)
        x ^= record[i];
    if (record[n - 1] != x) {
        return "XOR is " + Hex(record[n - 1]) + ", expected " + Hex(x);
    }
    return {};
}

}  // namespace kell::sim
