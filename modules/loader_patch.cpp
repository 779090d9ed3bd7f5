#include "modules/loader_patch.h"

#include <array>
#include <cstdint>

#include "link/loader_blocks.h"

namespace kell {

namespace {

constexpr std::size_t kPatchOffset = 249;
// The low byte of the stored 32-bit value, then the two bytes that follow it.
constexpr std::array<std::uint8_t, 3> kPatchBytes{0x03, 0x20, 0x41};

}  // namespace

bool PatchLoaderBlock() {
    return TBoot::PatchLoaderBlock3(kPatchOffset, kPatchBytes);
}

}  // namespace kell
