#pragma once

// The frames that several exchanges send, each built here once.
#include <array>
#include <cstdint>

#include "link/link_context.h"

namespace kell {

// Ends the link: the instrument leaves its PC mode. It also sends it to say that it left.
inline constexpr std::uint8_t kEndOfLink = 0x0A;

// Erases the loader's staging banks first to last; the loader answers 'p' once they are blank.
constexpr std::array<std::uint8_t, 5> StagingClearFrame(std::uint8_t firstBank,
                                                        std::uint8_t lastBank) {
    return {0x07, 0x03, firstBank, lastBank,
            static_cast<std::uint8_t>(0x03 ^ firstBank ^ lastBank)};
}

// The loader's closing command after flash work.
inline constexpr std::array<std::uint8_t, 2> kLoaderClosing{0x0F, 0xF0};

// Sends the closing command and drops what is already waiting on the line.
void SendLoaderClosing(LinkContext& link);

}  // namespace kell
