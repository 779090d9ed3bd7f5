#include "payloads/check/payload_check.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace kell::payloads {

std::string CheckPayload(const PayloadFile& file, std::span<const std::uint8_t> bytes) {
    if (bytes.size() != file.length) {
        return "is " + std::to_string(bytes.size()) + " bytes long; expected " +
               std::to_string(file.length);
    }
    switch (file.kind) {
        case PayloadKind::kMainFirmwareHex:
            return CheckMainFirmwareHex(bytes);
        case PayloadKind::kKeypadHex:
            return CheckKeypadHex(bytes);
        case PayloadKind::kChannelPlan:
            return CheckChannelPlan(file.index, bytes);
        case PayloadKind::kFpgaBitstream:
            return CheckFpgaBitstream(bytes);
        case PayloadKind::kMpeg4SecondImage:
            return CheckMpeg4SecondImage(bytes);
        case PayloadKind::kPicture:
            return CheckPictureCells(bytes);
        case PayloadKind::kLoaderBlocks:
        case PayloadKind::kMpeg4Application:
            return "";  // the updater relies on their length alone
    }
    return "";
}

std::vector<std::string> CheckPayloadFolder(const std::string& folder) {
    std::vector<std::string> problems;
    for (const PayloadFile& file : kPayloadFiles) {
        const std::filesystem::path path = std::filesystem::path(folder) / file.name;
        const std::string where = path.string() + ": ";
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            problems.push_back(where + "missing (or not a regular file)");
            continue;
        }
        // The length is known before reading, so an oversized file is never read.
        const auto size = std::filesystem::file_size(path, error);
        if (error) {
            problems.push_back(where + "cannot be read");
            continue;
        }
        if (size != file.length) {
            problems.push_back(where + "is " + std::to_string(size) + " bytes long; expected " +
                               std::to_string(file.length));
            continue;
        }
        std::vector<std::uint8_t> bytes(file.length);
        std::ifstream in(path, std::ios::binary);
        if (!in.read(reinterpret_cast<char*>(bytes.data()),
                     static_cast<std::streamsize>(bytes.size()))) {
            problems.push_back(where + "cannot be read");
            continue;
        }
        if (std::string problem = CheckPayload(file, bytes); !problem.empty()) {
            problems.push_back(where + problem);
        }
    }
    return problems;
}

}  // namespace kell::payloads
