#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Small readers and writers of Intel HEX text for the payload tests, written apart from the
// generator and the checker so that neither checks itself.
namespace kell::payloads::test {

struct Line {
    std::string_view text;  // without CR LF, inside the text that was split
    bool crLf = false;
};

// Splits a text at its line feeds; crLf tells whether a CR came before the line feed.
std::vector<Line> SplitLines(std::span<const std::uint8_t> text);

struct Record {
    int count = 0;
    int address = 0;
    int type = 0;
    std::vector<std::uint8_t> data;
    bool checksumRight = false;
};

// Reads a line whose digits are all hexadecimal (either case); false when it is not a record.
bool ReadRecord(std::string_view line, Record* record);

// A record line, CR LF included, with upper-case digits and the right checksum.
std::string RecordLine(int type, int address, const std::vector<std::uint8_t>& data);

std::vector<std::uint8_t> Bytes(std::string_view text);

}  // namespace kell::payloads::test
