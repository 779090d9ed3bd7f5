#include "image/file_op.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kell {

TFile_op::TFile_op(std::span<const std::uint8_t> text)
    : text_(text),
      limit_(static_cast<std::int32_t>(
          std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()))) {}

LineRead TFile_op::ReadLine(char* buffer, std::size_t size) {
    buffer[0] = '\0';
    if (position_ >= limit_)
        return LineRead::kExhausted;
    const auto* start = text_.Text() + position_;
    const std::size_t left = static_cast<std::size_t>(limit_ - position_);
    const auto* feed = static_cast<const std::uint8_t*>(std::memchr(start, '\n', left));
    const std::size_t length = feed ? static_cast<std::size_t>(feed - start) + 1 : left;
    const std::size_t stored = std::min(length, size - 1);

    std::memcpy(buffer, start, stored);
    buffer[stored] = '\0';
    position_ += static_cast<std::int32_t>(length);
    if (!feed)
        return LineRead::kExhausted;
    return stored < length ? LineRead::kTooLong : LineRead::kLine;
}

void TFile_op::Seek(std::int64_t position) {
    if (position >= 0 && position <= limit_)
        position_ = static_cast<std::int32_t>(position);
}

}  // namespace kell
