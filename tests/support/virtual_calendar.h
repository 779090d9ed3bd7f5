#pragma once

#include <cstdint>

namespace kell::testing {

// Calendar times for the virtual clock. Whole-second limits run from the start of a second, so
// a test places its start early, half-way or late inside one: from the middle, a limit of N
// seconds lasts N - 0.5 s.
inline constexpr std::int64_t kSecondUs = 1'000'000;
inline constexpr std::int64_t kBaseUs = 1'800'000'000LL * kSecondUs;
inline constexpr std::int64_t kEarlyInSecond = kBaseUs + 1'000;
inline constexpr std::int64_t kMidSecond = kBaseUs + 500'000;
inline constexpr std::int64_t kLateInSecond = kBaseUs + 990'000;

}  // namespace kell::testing
