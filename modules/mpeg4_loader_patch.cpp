// The loader-block patch that belongs to the module update: three bytes of the third loader
// block that the main firmware update sends.
#include <array>
#include <cstdint>

#include "modules/mpeg4_module.h"

namespace kell {

namespace {

constexpr std::size_t kPatchOffset = 249;
// The low byte of the stored 32-bit value 3, then the two stored bytes.
constexpr std::uint32_t kPatchValue = 3;
constexpr std::array<std::uint8_t, 3> kPatchBytes{static_cast<std::uint8_t>(kPatchValue & 0xFF),
                                                  0x20, 0x41};

}  // namespace

bool TMpeg4::PatchLoaderBlock() {
    // Missing blocks leave nothing to patch; the main firmware update reports them itself.
    TBoot::PatchLoaderBlock3(kPatchOffset, kPatchBytes);
    return true;
}

}  // namespace kell
