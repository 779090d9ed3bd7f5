#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kell::fuzz {

// A property a target checks on every input: when it does not hold, the process aborts, which
// the fuzzer reports as a crash with the input.
inline void Require(bool condition, const char* what, std::string_view detail = {}) {
    if (condition)
        return;
    std::fprintf(stderr, "broken: %s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

}  // namespace kell::fuzz
