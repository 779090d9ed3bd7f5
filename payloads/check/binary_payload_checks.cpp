#include <algorithm>

#include "payloads/check/payload_check.h"

namespace kell::payloads {

std::string CheckChannelPlan(int planType, std::span<const std::uint8_t> table) {
    if (planType < 0 || planType > 4) {
        return "there is no plan type " + std::to_string(planType);
    }
    if (table.size() < 5) {
        return "is shorter than its header";
    }
    const unsigned version = kChannelPlanVersions[planType];
    if (table[0] != 0 || table[2] != 0) {
        return "header bytes 0 and 2 must be 0";
    }
    if (table[1] == 0) {
        return "header byte 1 (the number of plans) is 0";
    }
    if (table[3] != version) {
        return "header byte 3 (the version) is " + std::to_string(table[3]) + "; expected " +
               std::to_string(version);
    }
    if (table[4] != planType) {
        return "header byte 4 (the plan type) is " + std::to_string(table[4]) + "; expected " +
               std::to_string(planType);
    }
    return "";
}

std::string CheckFpgaBitstream(std::span<const std::uint8_t> bitstream) {
    if (bitstream.size() <= kFpgaPreambleLength) {
        return "is shorter than its preamble";
    }
    const auto preambleEnd = bitstream.begin() + kFpgaPreambleLength;
    if (!std::all_of(bitstream.begin(), preambleEnd, [](std::uint8_t b) { return b == 0xFF; }) ||
        *preambleEnd != kFpgaSyncByte) {
        return "does not begin with sixteen 0xFF bytes and 0x6A";
    }
    return "";
}

std::string CheckMpeg4SecondImage(std::span<const std::uint8_t> image) {
    if (image.size() < kMpeg4SecondImageZeroBytes) {
        return "is shorter than its 16384 zero bytes";
    }
    const auto zerosEnd = image.begin() + kMpeg4SecondImageZeroBytes;
    const auto nonZero =
        std::find_if(image.begin(), zerosEnd, [](std::uint8_t b) { return b != 0; });
    if (nonZero != zerosEnd) {
        return "byte " + std::to_string(nonZero - image.begin()) +
               " is not 0; the first 16384 bytes must be 0";
    }
    return "";
}

std::string CheckPictureCells(std::span<const std::uint8_t> cells) {
    for (std::size_t i = 1; i < cells.size(); i += 2) {
        if (cells[i] != 0) {
            return "cell " + std::to_string(i / 2) + " has a high byte other than 0";
        }
    }
    return "";
}

}  // namespace kell::payloads
