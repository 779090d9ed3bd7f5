#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/bytes.h"

namespace kell::testing {

// Intel HEX text as the tests write and read it, apart from the program's own reader and
// writers so that neither checks itself. Written lines carry their checksum and CR LF.
std::string HexLine(std::uint8_t type, std::uint16_t address, const Bytes& data,
                    bool lowerCase = false);
// The extended linear address record: the upper 16 bits of the addresses that follow.
std::string UpperAddressLine(std::uint16_t upper);
std::string EndOfFileLine();

struct TextLine {
    std::string_view text;  // without CR LF, inside the text that was split
    bool crLf = false;
};

// Splits a text at its line feeds; crLf tells whether a CR came before the line feed.
std::vector<TextLine> SplitLines(std::span<const std::uint8_t> text);

struct HexRecord {
    int count = 0;
    int address = 0;
    int type = 0;
    std::vector<std::uint8_t> data;
    bool checksumRight = false;
};

// Reads a line whose digits are all hexadecimal (either case); false when it is not a record.
bool ReadRecord(std::string_view line, HexRecord* record);

// The bytes of a text, as they are.
Bytes BytesOf(std::string_view text);

}  // namespace kell::testing
