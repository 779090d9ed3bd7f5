#pragma once

#include "tests/modules/scripted_instrument.h"
#include "tests/support/expected_fpga_set.h"

namespace kell::test {

inline constexpr std::size_t kThreeLength = kThreeFpgaSetLength;
inline constexpr std::size_t kTwoLength = kTwoFpgaSetLength;

inline Bytes ExpectedSet(int count) {
    return ExpectedFpgaSet(count);
}

}  // namespace kell::test
