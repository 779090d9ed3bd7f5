#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kell {

// The three code blocks for the instrument's processor that start its loader. Every TBoot
// views the same process-wide copy, so a patch made through one (the MPEG4 updater's) holds
// for every later sending through any of them. Where the embedded blocks are missing or of the
// wrong size, the blocks are empty.
class TBoot {
  public:
    static constexpr std::size_t kBlock1Length = 32;
    static constexpr std::size_t kBlock2Length = 144;
    static constexpr std::size_t kBlock3Length = 968;
    static constexpr std::size_t kTotalLength = kBlock1Length + kBlock2Length + kBlock3Length;

    std::span<const std::uint8_t> Block1() const;
    std::span<const std::uint8_t> Block2() const;
    std::span<const std::uint8_t> Block3() const;

    // Overwrites bytes of block 3 in place, from `offset` on. False, changing nothing, when the
    // bytes do not fit inside the block or the blocks are missing.
    static bool PatchLoaderBlock3(std::size_t offset, std::span<const std::uint8_t> bytes);

    // Puts back the blocks as embedded in the program, undoing every patch.
    static void RestorePristine();
    // Replaces the shared copy with `blocks` (the three blocks one after another); blocks of
    // another total size leave the copy empty. For tests that need known bytes.
    static void ReplaceBlocks(std::span<const std::uint8_t> blocks);
};

}  // namespace kell
