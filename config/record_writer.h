#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "config/config_record_areas.h"

namespace kell {

// Lays a record out front to back in a 256-byte area with a one-byte running index, so no
// record can reach past its area. Bytes it skips, and bytes after the record's end, keep what
// the area held. Numbers go little-endian.
class RecordWriter {
  public:
    explicit RecordWriter(RecordSpan area) : area_(area) {}

    void Byte(std::uint8_t value);
    void Bytes(std::initializer_list<std::uint8_t> values);
    void Bytes(std::span<const std::uint8_t> values);
    void Zeros(int count);
    // Moves on over count bytes without writing them.
    void Skip(int count);
    void Word(std::uint16_t value);
    void SignedWord(std::int16_t value) { Word(static_cast<std::uint16_t>(value)); }
    void Long(std::uint32_t value);

    std::uint8_t Index() const { return index_; }

    // The frame of the configuration records: A0, length (low, high), format version; after
    // the body FA and the XOR of every byte before it.
    void BeginConfigRecord();
    void EndConfigRecord();
    // The frame of an installation profile: BA, length, 00, 0D; after the body CA and the XOR.
    // Its length has one byte only.
    void BeginProfile();
    void EndProfile();

  private:
    void End(std::uint8_t terminator, bool lengthHighByte);

    RecordSpan area_;
    std::uint8_t index_ = 0;
};

}  // namespace kell
