#include "tests/support/hex_records.h"

#include <cstdio>

namespace kell::testing {

std::string HexLine(std::uint8_t type, std::uint16_t address, const Bytes& data, bool lowerCase) {
    Bytes fields = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                    static_cast<std::uint8_t>(address & 0xFF), type};
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = ":";
    char pair[3];
    const char* format = lowerCase ? "%02x" : "%02X";
    for (std::uint8_t b : fields) {
        sum += b;
        std::snprintf(pair, sizeof pair, format, b);
        line += pair;
    }
    std::snprintf(pair, sizeof pair, format, (0x100 - (sum & 0xFF)) & 0xFF);
    return line + pair + "\r\n";
}

std::string UpperAddressLine(std::uint16_t upper) {
    return HexLine(
        0x04, 0, {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper & 0xFF)});
}

std::string EndOfFileLine() {
    return HexLine(0x01, 0, {});
}

std::vector<TextLine> SplitLines(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        if (feed == std::string_view::npos) {
            lines.push_back({text.substr(start), false});
            break;
        }
        const bool crLf = feed > start && text[feed - 1] == '\r';
        lines.push_back({text.substr(start, feed - start - (crLf ? 1 : 0)), crLf});
        start = feed + 1;
    }
    return lines;
}

namespace {

int Nibble(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

bool ReadRecord(std::string_view line, HexRecord* record) {
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) {
        return false;
    }
    const std::size_t n = line.size() / 2;
    std::vector<std::uint8_t> bytes(n);
    int sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int high = Nibble(line[1 + 2 * i]), low = Nibble(line[2 + 2 * i]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
        sum += bytes[i];
    }
    record->count = bytes[0];
    record->address = bytes[1] * 256 + bytes[2];
    record->type = bytes[3];
    if (n != static_cast<std::size_t>(record->count) + 5) {
        return false;
    }
    record->data.assign(bytes.begin() + 4, bytes.end() - 1);
    record->checksumRight = sum % 256 == 0;
    return true;
}

Bytes BytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace kell::testing
