#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Reading Intel HEX text for the payload checks: CR LF lines, and one record per line.
namespace kell::payloads {

enum class HexCase { kUpper, kLower };

struct HexRecord {
    std::uint8_t count = 0;
    std::uint16_t address = 0;
    std::uint8_t type = 0;
    std::array<std::uint8_t, 255> data{};
};

// Parses one line (without its CR LF) as a record whose digits are all of the given case.
// Returns "" when it is a well-formed record with the right checksum, otherwise what is wrong.
std::string ParseHexRecord(std::string_view line, HexCase digits, HexRecord* record);

// Hands out a text one CR LF line at a time, counting lines from 1 for the messages.
class CrLfLines {
  public:
    explicit CrLfLines(std::span<const std::uint8_t> text) : text_(text) {}

    bool AtEnd() const { return position_ == text_.size(); }
    std::size_t LineNumber() const { return lineNumber_; }
    // The next line without its CR LF; "" or what is wrong (no line feed, no CR before it).
    std::string Next(std::string_view* line);

  private:
    std::span<const std::uint8_t> text_;
    std::size_t position_ = 0;
    std::size_t lineNumber_ = 0;
};

// "line 12: " + what, for the messages of a line-based check.
std::string AtLine(std::size_t lineNumber, std::string_view what);

}  // namespace kell::payloads
