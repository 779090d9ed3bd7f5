#pragma once

#include <cstdint>
#include <vector>

#include "payloads/payload_files.h"

// Placeholder payloads with the structure of the real ones, made from fixed seeds.
namespace kell::payloads {

std::vector<std::uint8_t> GenerateMainFirmwareHex();
std::vector<std::uint8_t> GenerateKeypadHex();
std::vector<std::uint8_t> GenerateChannelPlan(int planType);
std::vector<std::uint8_t> GeneratePicture(int number);
// The payloads without an inner structure of their own: loader blocks, bitstreams, MPEG4 images.
std::vector<std::uint8_t> GenerateBinaryImage(const PayloadFile& file);

// The seed of one payload's filler bytes, different for every file.
std::uint64_t SeedOf(PayloadKind kind, int index);

}  // namespace kell::payloads
