#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "payloads/payload_files.h"

// Whether a payload file holds what the updater relies on: its length and the structure that
// the updater and the instrument read. The build runs these checks on a folder of real files
// (KELL_PAYLOAD_DIR) and on the generated placeholders.
namespace kell::payloads {

// "" when the bytes are usable as the payload, otherwise one line saying what is wrong.
std::string CheckPayload(const PayloadFile& file, std::span<const std::uint8_t> bytes);

// Reads and checks every file of kPayloadFiles in a folder. One message per missing or unusable
// file, each beginning with the file's path; empty when all are usable.
std::vector<std::string> CheckPayloadFolder(const std::string& folder);

// What a scan of a main firmware text found.
struct FirmwareHexSummary {
    std::size_t records = 0;  // end-of-file record included
    std::size_t dataRecords = 0;
    std::size_t dataRecordsOf32 = 0;
    std::size_t dataBytes = 0;
    std::size_t runs = 0;     // stretches of contiguous data within one segment
    std::uint64_t pages = 0;  // bit s: an extended-linear-address record for segment s
    // As the start-up check reads it: the first 4 bytes of the record at 0x18:0x0010, ".", and
    // the first 5 of the record at 0x18:0x0016; empty when either record is missing.
    std::string version;
    // As an instrument that stored the image reads it back: 6 bytes at 0x18:0x0010 and at
    // 0x18:0x0016, each up to its first zero byte (erased flash reads 0xFF).
    std::string storedRelease;
    std::string storedBuild;
};

// Checks every line of a main firmware text of any length and sums it up; "" when it is sound.
std::string ScanMainFirmwareHex(std::span<const std::uint8_t> text, FirmwareHexSummary* summary);
// Whether a summary is that of this build's firmware (version and pages).
std::string CheckFirmwareSummary(const FirmwareHexSummary& summary);

// The checks of one kind of payload, after its length was found right.
std::string CheckMainFirmwareHex(std::span<const std::uint8_t> text);
std::string CheckKeypadHex(std::span<const std::uint8_t> text);
std::string CheckChannelPlan(int planType, std::span<const std::uint8_t> table);
std::string CheckFpgaBitstream(std::span<const std::uint8_t> bitstream);
std::string CheckMpeg4SecondImage(std::span<const std::uint8_t> image);
std::string CheckPictureCells(std::span<const std::uint8_t> cells);

}  // namespace kell::payloads
