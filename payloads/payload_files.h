#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "payloads/payloads.h"

// The payloads as files: the folder the build embeds (generated placeholders, or the real files
// named by KELL_PAYLOAD_DIR) and the folder an export writes hold these names.
namespace kell::payloads {

enum class PayloadKind {
    kMainFirmwareHex,
    kKeypadHex,
    kLoaderBlocks,
    kChannelPlan,
    kFpgaBitstream,
    kMpeg4Application,
    kMpeg4SecondImage,
    kPicture,
};

struct PayloadFile {
    std::string_view name;
    PayloadKind kind;
    int index;  // plan type, bitstream index or picture number; 0 for a payload of its own kind
    std::size_t length;
};

inline constexpr std::size_t kLoaderBlocksLength =
    kLoaderBlock1Length + kLoaderBlock2Length + kLoaderBlock3Length;
inline constexpr std::size_t kPictureLength = 2 * kPictureCells;

// The same list of names is in payloads/CMakeLists.txt; the build stops when they differ.
inline constexpr PayloadFile kPayloadFiles[] = {
    {"main_firmware.hex", PayloadKind::kMainFirmwareHex, 0, kMainFirmwareHexLength},
    {"keypad.hex", PayloadKind::kKeypadHex, 0, kKeypadHexLength},
    {"loader_blocks.bin", PayloadKind::kLoaderBlocks, 0, kLoaderBlocksLength},
    {"channel_plan_0.bin", PayloadKind::kChannelPlan, 0, kChannelPlanLengths[0]},
    {"channel_plan_1.bin", PayloadKind::kChannelPlan, 1, kChannelPlanLengths[1]},
    {"channel_plan_2.bin", PayloadKind::kChannelPlan, 2, kChannelPlanLengths[2]},
    {"channel_plan_3.bin", PayloadKind::kChannelPlan, 3, kChannelPlanLengths[3]},
    {"channel_plan_4.bin", PayloadKind::kChannelPlan, 4, kChannelPlanLengths[4]},
    {"fpga_0.rbf", PayloadKind::kFpgaBitstream, 0, kFpgaBitstreamLengths[0]},
    {"fpga_1.rbf", PayloadKind::kFpgaBitstream, 1, kFpgaBitstreamLengths[1]},
    {"fpga_2.rbf", PayloadKind::kFpgaBitstream, 2, kFpgaBitstreamLengths[2]},
    {"mpeg4_application.bin", PayloadKind::kMpeg4Application, 0, kMpeg4ApplicationLength},
    {"mpeg4_second.bin", PayloadKind::kMpeg4SecondImage, 0, kMpeg4SecondImageLength},
    {"picture_1.bin", PayloadKind::kPicture, 1, kPictureLength},
    {"picture_2.bin", PayloadKind::kPicture, 2, kPictureLength},
    {"picture_3.bin", PayloadKind::kPicture, 3, kPictureLength},
    {"picture_4.bin", PayloadKind::kPicture, 4, kPictureLength},
};

// The SHA-256 manifest an export writes beside the files, in the format of `sha256sum`.
inline constexpr std::string_view kManifestName = "SHA256SUMS";

// The embedded FPGA bitstreams and the MPEG4 second image begin with these.
inline constexpr std::size_t kFpgaPreambleLength = 16;  // 0xFF bytes, then kFpgaSyncByte
inline constexpr std::uint8_t kFpgaSyncByte = 0x6A;
inline constexpr std::size_t kMpeg4SecondImageZeroBytes = 16384;

// Picture geometry: 150 x 75 pixels of two bytes each, carried in the low bytes of the cells.
inline constexpr int kPictureWidth = 150;
inline constexpr int kPictureHeight = 75;

}  // namespace kell::payloads
