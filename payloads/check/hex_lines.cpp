#include "payloads/check/hex_lines.h"

#include <cstring>

namespace kell::payloads {
namespace {

// Digit values of one case, -1 for every other character: a table, as a text of megabytes
// goes through it.
struct DigitTable {
    explicit DigitTable(char ten) {
        for (int& v : value) {
            v = -1;
        }
        for (int d = 0; d < 10; ++d) {
            value['0' + d] = d;
        }
        for (int d = 0; d < 6; ++d) {
            value[ten + d] = 10 + d;
        }
    }
    int value[256];
};

}  // namespace

std::string ParseHexRecord(std::string_view line, HexCase digits, HexRecord* record) {
    if (line.empty() || line[0] != ':') {
        return "does not begin with ':'";
    }
    if (line.size() < 11 || line.size() % 2 == 0) {
        return "is not a record: " + std::to_string(line.size()) + " characters";
    }
    static const DigitTable upper('A'), lower('a');
    const int* value = (digits == HexCase::kUpper ? upper : lower).value;
    const char* caseName = digits == HexCase::kUpper ? "upper" : "lower";
    std::uint8_t bytes[260];
    const std::size_t byteCount = (line.size() - 1) / 2;
    if (byteCount > sizeof bytes) {
        return "is longer than any record";
    }
    const char* digit = line.data() + 1;
    unsigned sum = 0;
    for (std::size_t i = 0; i < byteCount; ++i, digit += 2) {
        const int high = value[static_cast<unsigned char>(digit[0])];
        const int low = value[static_cast<unsigned char>(digit[1])];
        if (high < 0 || low < 0) {
            return "has a character at column " + std::to_string(2 + 2 * i + (high < 0 ? 0 : 1)) +
                   " that is not a hexadecimal digit in " + caseName + " case";
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
        sum += bytes[i];
    }
    if (byteCount != 5u + bytes[0]) {
        return "has " + std::to_string(byteCount - 5) + " data bytes but a byte count of " +
               std::to_string(bytes[0]);
    }
    if (sum % 256 != 0) {
        return "has a wrong checksum";
    }
    record->count = bytes[0];
    record->address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record->type = bytes[3];
    std::memcpy(record->data.data(), bytes + 4, bytes[0]);
    return "";
}

std::string CrLfLines::Next(std::string_view* line) {
    ++lineNumber_;
    const char* begin = reinterpret_cast<const char*>(text_.data()) + position_;
    const auto* feed = static_cast<const char*>(std::memchr(begin, '\n', text_.size() - position_));
    if (feed == nullptr) {
        return AtLine(lineNumber_, "the text ends without a line feed");
    }
    if (feed == begin || feed[-1] != '\r') {
        return AtLine(lineNumber_, "does not end in CR LF");
    }
    *line = std::string_view(begin, static_cast<std::size_t>(feed - 1 - begin));
    position_ += static_cast<std::size_t>(feed - begin) + 1;
    return "";
}

std::string AtLine(std::size_t lineNumber, std::string_view what) {
    return "line " + std::to_string(lineNumber) + ": " + std::string(what);
}

}  // namespace kell::payloads
