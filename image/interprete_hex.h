#pragma once

#include <cstdint>

#include "image/file_op.h"
#include "image/hex_record.h"

namespace kell {

// Reads an Intel HEX text one record per call through a line cursor. It checks the syntax and
// the checksum only; what the record types and addresses mean belongs to the callers.
class TInterprete_hex {
  public:
    // Lines longer than this (CR LF included) are rejected as badly formed.
    static constexpr std::size_t kLineCapacity = 255;

    explicit TInterprete_hex(TFile_op& file) : file_(file) {}

    // One of the kHex... result codes of hex_record.h.
    int ReadRecord(HexRecord& record);

    // The line last read (as far as it fitted), zero-terminated.
    const char* Line() const { return line_; }

    // Records of the whole text, end-of-file record included; set by the start-up check.
    std::int32_t recordCount = 0;

  private:
    TFile_op& file_;
    char line_[kLineCapacity + 1] = {};
};

}  // namespace kell
