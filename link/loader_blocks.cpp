#include "link/loader_blocks.h"

#include <algorithm>
#include <array>

#include "payloads/payloads.h"

namespace kell {

namespace {

static_assert(TBoot::kBlock1Length == payloads::kLoaderBlock1Length);
static_assert(TBoot::kBlock2Length == payloads::kLoaderBlock2Length);
static_assert(TBoot::kBlock3Length == payloads::kLoaderBlock3Length);

struct SharedBlocks {
    std::array<std::uint8_t, TBoot::kTotalLength> bytes{};
    bool present = false;

    void Load(std::span<const std::uint8_t> blocks) {
        present = blocks.size() == bytes.size();
        bytes.fill(0);
        if (present)
            std::copy(blocks.begin(), blocks.end(), bytes.begin());
    }
    std::span<std::uint8_t> Block(std::size_t offset, std::size_t length) {
        if (!present)
            return {};
        return std::span<std::uint8_t>(bytes).subspan(offset, length);
    }
};

// The one copy, made from the embedded payload at first use.
SharedBlocks& Shared() {
    static SharedBlocks shared = [] {
        SharedBlocks blocks;
        blocks.Load(payloads::LoaderBlocks());
        return blocks;
    }();
    return shared;
}

}  // namespace

std::span<const std::uint8_t> TBoot::Block1() const {
    return Shared().Block(0, kBlock1Length);
}

std::span<const std::uint8_t> TBoot::Block2() const {
    return Shared().Block(kBlock1Length, kBlock2Length);
}

std::span<const std::uint8_t> TBoot::Block3() const {
    return Shared().Block(kBlock1Length + kBlock2Length, kBlock3Length);
}

bool TBoot::PatchLoaderBlock3(std::size_t offset, std::span<const std::uint8_t> bytes) {
    const std::span<std::uint8_t> block =
        Shared().Block(kBlock1Length + kBlock2Length, kBlock3Length);
    if (block.empty() || offset > block.size() || bytes.size() > block.size() - offset)
        return false;
    std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

void TBoot::RestorePristine() {
    Shared().Load(payloads::LoaderBlocks());
}

void TBoot::ReplaceBlocks(std::span<const std::uint8_t> blocks) {
    Shared().Load(blocks);
}

}  // namespace kell
