#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kell {

inline constexpr std::size_t kRecordAreaSize = 256;
inline constexpr std::size_t kProfileSlotSize = 256;
inline constexpr int kProfileCount = 4;
inline constexpr std::size_t kProfileAreaSize = 1280;

using RecordArea = std::array<std::uint8_t, kRecordAreaSize>;
using RecordSpan = std::span<std::uint8_t, kRecordAreaSize>;

// Profile numbers outside 0 to 3 stand for profile 0.
constexpr int ProfileNumber(int profile) {
    return profile >= 0 && profile < kProfileCount ? profile : 0;
}

// The buffers the configuration records are built into and written from. They start zeroed
// and are never cleared: a record shorter than an earlier one leaves the earlier one's tail in
// place, and the block-wise writes send whole blocks, tail included. Keep one instance for as
// long as its owner lives.
struct ConfigRecordAreas {
    RecordArea generalRecord{};
    RecordArea listRecord{};
    RecordArea userBandRecord{};
    // The first 1024 bytes are the profile table, four slots of 256 bytes; the rest is never
    // written.
    std::array<std::uint8_t, kProfileAreaSize> profileArea{};

    RecordSpan ProfileSlot(int profile) {
        return RecordSpan(profileArea.data() + ProfileNumber(profile) * kProfileSlotSize,
                          kProfileSlotSize);
    }
};

}  // namespace kell
