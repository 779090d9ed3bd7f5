#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The data the updater writes into the instrument, compiled into the program. Every accessor
// returns read-only bytes that live for the whole process.
namespace kell::payloads {

inline constexpr std::size_t kMainFirmwareHexLength = 3952737;
inline constexpr std::size_t kKeypadHexLength = 36301;
inline constexpr std::size_t kLoaderBlock1Length = 32;
inline constexpr std::size_t kLoaderBlock2Length = 144;
inline constexpr std::size_t kLoaderBlock3Length = 968;
inline constexpr std::size_t kChannelPlanLengths[5] = {73596, 22692, 30648, 39878, 15022};
inline constexpr std::uint8_t kChannelPlanVersions[5] = {112, 103, 122, 102, 111};
inline constexpr std::size_t kFpgaBitstreamLengths[3] = {92111, 93027, 88698};
inline constexpr std::size_t kMpeg4ApplicationLength = 4435812;
inline constexpr std::size_t kMpeg4SecondImageLength = 21676;
inline constexpr std::size_t kPictureCells = 22500;  // 16-bit cells, low byte data, high byte 0

// The main firmware Intel HEX text: size() is the text's length up to and including the line
// feed of its end-of-file record. Bytes that are not part of the text follow it in memory
// (at least kTrailingBytes of them), so a reader may look one character past the end.
inline constexpr std::size_t kTrailingBytes = 16;
std::span<const std::uint8_t> MainFirmwareHex();
// What the start-up check reads from the main firmware text: the version held at segment 0x18,
// offsets 0x0010 and 0x0016, and the segments it fills (bit s set for segment s): 0, 2-22,
// 24-28 and 30.
inline constexpr std::string_view kMainFirmwareVersion = "2.04.00000";
inline constexpr std::uint64_t kMainFirmwarePages =
    0x1u | (((1u << 21) - 1) << 2) | (((1u << 5) - 1) << 24) | (1u << 30);
// The keypad firmware Intel HEX text (lower-case digits), exactly kKeypadHexLength characters.
std::span<const std::uint8_t> KeypadHex();
// The three loader blocks, 32, 144 and 968 bytes, stored one after another.
std::span<const std::uint8_t> LoaderBlocks();
// Channel-plan table of plan type 0..4; empty for any other type.
std::span<const std::uint8_t> ChannelPlan(int planType);
// FPGA bitstream 0..2; empty for any other index.
std::span<const std::uint8_t> FpgaBitstream(int index);
std::span<const std::uint8_t> Mpeg4Application();
std::span<const std::uint8_t> Mpeg4SecondImage();
// Picture 1..4 as its 22500 16-bit cells (45000 bytes, little-endian); empty for other numbers.
std::span<const std::uint8_t> PictureCells(int number);

// Every embedded payload under the name of the file it is built from, in the order of
// kPayloadFiles (payloads/payload_files.h).
struct NamedPayload {
    std::string_view fileName;
    std::span<const std::uint8_t> bytes;
};
std::span<const NamedPayload> AllPayloads();

}  // namespace kell::payloads
