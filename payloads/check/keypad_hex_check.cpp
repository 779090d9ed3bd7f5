#include "payloads/check/hex_lines.h"
#include "payloads/check/payload_check.h"

namespace kell::payloads {
namespace {

constexpr std::size_t kProgramRecords = 256;
constexpr std::uint8_t kBlockBytes = 64;

// One line of the fixed layout that the keypad programmer walks character by character.
struct ExpectedLine {
    std::uint8_t count;
    int address;  // -1: not looked at
    std::uint8_t type;
    int areaHigh;  // the upper address of an extended-linear-address record; -1: none
    const char* what;
};

ExpectedLine LineOfLayout(std::size_t index) {
    if (index < kProgramRecords) {
        return {kBlockBytes, static_cast<int>(index * kBlockBytes), 0x00, -1, "program record"};
    }
    switch (index - kProgramRecords) {
        case 0:
            return {2, 0, 0x04, 0x0010, "address of the security area"};
        case 1:
            return {kBlockBytes, -1, 0x00, -1, "security record"};
        case 2:
            return {2, 0, 0x04, 0x0020, "address of the checksum area"};
        case 3:
            return {2, -1, 0x00, -1, "checksum record"};
        default:
            return {0, 0, 0x01, -1, "end-of-file record"};
    }
}

constexpr std::size_t kLayoutLines = kProgramRecords + 5;

}  // namespace

std::string CheckKeypadHex(std::span<const std::uint8_t> text) {
    CrLfLines lines(text);
    HexRecord record;
    for (std::size_t i = 0; i < kLayoutLines; ++i) {
        std::string_view line;
        if (lines.AtEnd()) {
            return "the text ends after " + std::to_string(i) + " of its " +
                   std::to_string(kLayoutLines) + " lines";
        }
        if (std::string error = lines.Next(&line); !error.empty()) {
            return error;
        }
        const std::size_t n = lines.LineNumber();
        if (std::string error = ParseHexRecord(line, HexCase::kLower, &record); !error.empty()) {
            return AtLine(n, error);
        }
        const ExpectedLine expected = LineOfLayout(i);
        const bool addressRight = expected.address < 0 || record.address == expected.address;
        const bool areaRight =
            expected.areaHigh < 0 || (record.data[0] << 8 | record.data[1]) == expected.areaHigh;
        if (record.count != expected.count || record.type != expected.type || !addressRight ||
            !areaRight) {
            return AtLine(n, "is not the " + std::string(expected.what) +
                                 " that the layout has there (" + std::to_string(expected.count) +
                                 " bytes, type " + std::to_string(expected.type) + ")");
        }
    }
    if (!lines.AtEnd()) {
        return "the text goes on after the end-of-file record";
    }
    return "";
}

}  // namespace kell::payloads
