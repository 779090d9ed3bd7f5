#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/link_context.h"

// The parameter store's write frame and how its acknowledgement is awaited:
//   02, N + 5, 'P', area letter, bank, address high, address low, N data bytes
// with no check byte; the instrument answers 0x20.
namespace kell {

inline constexpr std::uint8_t kEepromAck = 0x20;
// The length byte counts five header bytes besides the data.
inline constexpr std::size_t kEepromMaxData = 0xFF - 5;

// Area letters of the parameter store.
enum class EepromArea : std::uint8_t {
    Parameters = 'R',
    Lists = 'W',
    UserBands = 'Q',
    Closing = '?',
};

// Throws std::length_error for more than kEepromMaxData bytes (no caller sends that many).
std::vector<std::uint8_t> EepromWriteFrame(EepromArea area, std::uint8_t bank,
                                           std::uint16_t address,
                                           std::span<const std::uint8_t> data);

enum class AckWait {
    // Up to one whole-second tick; only a 0x20 before the seconds count moves on is taken.
    Short,
    // Up to 5 s for a first byte, then whatever else is there; a 0x20 among them is taken,
    // if at most 3 whole seconds had passed.
    Long,
};

// Waits for the answer to a frame that was just written; true when it is the acknowledgement.
bool AwaitEepromAck(LinkContext& link, AckWait wait);

// Sends one frame in up to 5 attempts, each: drain, write, wait, pause 500 ms. A write the
// channel rejects is an attempt that got no answer. True at the first acknowledged attempt.
bool SendEepromFrame(LinkContext& link, std::span<const std::uint8_t> frame, AckWait wait);

// The frame for `data`, sent as above.
bool WriteEepromBlock(LinkContext& link, EepromArea area, std::uint8_t bank, std::uint16_t address,
                      std::span<const std::uint8_t> data, AckWait wait);

}  // namespace kell
