#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "image/handheld.h"

namespace kell {

enum class LineRead {
    kLine,       // a whole line, line feed included, is in the buffer
    kTooLong,    // the line did not fit: the buffer holds its start, the cursor is past it
    kExhausted,  // no whole line is left: the buffer holds what was left, the cursor is at the end
};

// A cursor over a firmware text that hands out one line at a time. It never copies the text
// and never reads outside it.
class TFile_op {
  public:
    // Over the main firmware text embedded in the program.
    TFile_op();
    explicit TFile_op(std::span<const std::uint8_t> text);
    explicit TFile_op(std::string_view text)
        : TFile_op(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) {}

    void Rewind() { position_ = 0; }
    // Copies the next line, line feed included, into buffer and ends it with a zero byte; at most
    // size - 1 characters are stored (size must be at least 1).
    LineRead ReadLine(char* buffer, std::size_t size);
    // Moves the cursor when 0 <= position <= Limit(); otherwise leaves it where it is.
    void Seek(std::int64_t position);

    std::int32_t Position() const { return position_; }
    std::int32_t Limit() const { return limit_; }

  private:
    THandheld text_;
    std::int32_t position_ = 0;
    std::int32_t limit_ = 0;
};

}  // namespace kell
