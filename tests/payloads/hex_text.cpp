#include "tests/payloads/hex_text.h"

#include <cstdio>

namespace kell::payloads::test {

std::vector<Line> SplitLines(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<Line> lines;
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

bool ReadRecord(std::string_view line, Record* record) {
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

std::string RecordLine(int type, int address, const std::vector<std::uint8_t>& data) {
    std::string line = ":";
    int sum = 0;
    auto put = [&](int byte) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte & 0xFF);
        line += pair;
        sum += byte;
    };
    put(static_cast<int>(data.size()));
    put(address >> 8);
    put(address & 0xFF);
    put(type);
    for (std::uint8_t b : data) {
        put(b);
    }
    put(-sum);
    return line + "\r\n";
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace kell::payloads::test
