#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/link_context.h"
#include "platform/controls.h"

// The loader's own frames: 0x5A fills its RAM buffer 128 bytes at a time, 0x5B erases a flash
// sector or programs one from that buffer, 0x02 hands it a short parameter block.
namespace kell {

inline constexpr std::size_t kLoaderFrameData = 128;

// Sends the first `length` bytes as buffer frames for the addresses 0, 128, 256, ...; every
// frame carries 128 bytes, those past the end of `data` being 0x00 (nothing beyond the span is
// read). The step bar runs from 0 to `length` and is set, before each frame, to where that
// frame ends. Each frame is tried up to 10 times; true when every frame was acknowledged.
bool SendLoaderBlocks(LinkContext& link, std::uint32_t length, std::span<const std::uint8_t> data,
                      ProgressBar& stepBar);

// Sends one call frame with `length` bytes of `data` (0x00 past the span's end); the loader
// does not answer. True, unless a length over 252 leaves the frame's length byte unable to
// carry it, when nothing is sent.
bool SendLoaderCall(LinkContext& link, std::uint8_t length, std::span<const std::uint8_t> data,
                    std::uint8_t selector, std::uint16_t word);

// One buffer frame of 128 bytes 0xFF at address 0; one try, the callers repeat it.
bool BlankLoaderBlock(LinkContext& link);

// Erases one flash sector; one try.
bool EraseFlashSector(LinkContext& link, std::uint8_t sector);

// Programs a sector from the first `length` bytes already in the loader's buffer; `data` is
// what was sent there, for the check byte only (bytes past the span's end count as 0x00). Up
// to 10 tries.
bool ProgramFlashSector(LinkContext& link, std::uint32_t length, std::span<const std::uint8_t> data,
                        std::uint8_t sector, std::uint8_t firstParameter,
                        std::uint8_t secondParameter);

}  // namespace kell
