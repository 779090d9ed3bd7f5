#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kell::sim {

// The instrument's own check of a configuration record once it holds the whole of it. Two
// kinds live in the parameter store:
//   0xA0 records (general, list, user bands): A0, length low, length high, 0x54, body, FA, XOR
//   0xBA profiles:                            BA, length, 00, 0D, name, values, CA, XOR
// where the length counts the whole record and the XOR covers every byte before it.
struct RecordKind {
    std::uint8_t start;
    std::uint8_t version;     // byte 3
    std::uint8_t terminator;  // the byte before the XOR
    bool wideLength;          // length in bytes 1 and 2 (else byte 1, with byte 2 zero)
};

inline constexpr RecordKind kConfigRecord{0xA0, 0x54, 0xFA, true};
inline constexpr RecordKind kProfileRecord{0xBA, 0x0D, 0xCA, false};

// The record's whole length read from its header, or nothing when the header is unusable.
std::optional<std::size_t> RecordLength(const RecordKind& kind,
                                        const std::vector<std::uint8_t>& bytes);
// An empty text when the record is sound; otherwise what is wrong with it.
std::string CheckRecord(const RecordKind& kind, const std::vector<std::uint8_t>& record);

}  // namespace kell::sim
