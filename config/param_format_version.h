#pragma once

#include <cstdint>
#include <string_view>

namespace kell {

// The layout version of the instrument's parameter records. The defaults window publishes it
// as text; every configuration record carries it, as a number, in its fourth byte.
inline constexpr std::string_view kParamFormatVersion = "84";

constexpr std::uint8_t ParamFormatVersionNumber() {
    unsigned number = 0;
    for (char c : kParamFormatVersion)
        number = number * 10 + static_cast<unsigned>(c - '0');
    return static_cast<std::uint8_t>(number);
}

static_assert(ParamFormatVersionNumber() == 0x54);

}  // namespace kell
