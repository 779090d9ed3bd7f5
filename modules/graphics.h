#pragma once

#include <cstdint>
#include <span>

#include "link/link_context.h"

namespace kell {

// Writes the progress pictures into the instrument's screen raster during the long steps.
// Whether the instrument takes pictures, and where its raster lies, it says in the loader
// handshake, which sets enabled, firstBank and baseAddress. Picture uploads never decide a
// step's outcome: their failures are ignored.
class TGraficos {
  public:
    static constexpr int kPictureWidth = 150;
    static constexpr int kPictureRows = 75;
    static constexpr int kRasterRowBytes = 640;

    // Clears the raster. Its wait for the answer ends at the latest 30 s after the step's
    // start time (not after the frame was sent).
    void ClearGraphicsArea(LinkContext& link, std::int64_t stepStartTime);
    // Writes picture 1..4 (its bytes as stored) at its place in the raster. A refused block is
    // skipped; two failed blocks in a row end the picture.
    void SendPicture(LinkContext& link, int n);
    // The same for any picture of 22500 bytes, for tests and other callers.
    void SendPictureBytes(LinkContext& link, std::span<const std::uint8_t> pixels, int topRow);

    std::uint8_t currentBank = 0;
    bool enabled = false;
    std::uint8_t firstBank = 0;
    std::uint16_t baseAddress = 0;
};

}  // namespace kell
