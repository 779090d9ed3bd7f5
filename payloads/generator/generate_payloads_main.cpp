// kell-generate-payloads FOLDER [--summary]: writes the placeholder payloads into FOLDER, each
// checked as the build checks real ones, so that a layout mistake stops the build at once.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "payloads/check/payload_check.h"
#include "payloads/generator/generated_payloads.h"

namespace kell::payloads {
namespace {

std::vector<std::uint8_t> Generate(const PayloadFile& file) {
    switch (file.kind) {
        case PayloadKind::kMainFirmwareHex:
            return GenerateMainFirmwareHex();
        case PayloadKind::kKeypadHex:
            return GenerateKeypadHex();
        case PayloadKind::kChannelPlan:
            return GenerateChannelPlan(file.index);
        case PayloadKind::kPicture:
            return GeneratePicture(file.index);
        case PayloadKind::kLoaderBlocks:
        case PayloadKind::kFpgaBitstream:
        case PayloadKind::kMpeg4Application:
        case PayloadKind::kMpeg4SecondImage:
            return GenerateBinaryImage(file);
    }
    return {};
}

void PrintSummary(const std::vector<std::uint8_t>& firmware) {
    FirmwareHexSummary s;
    ScanMainFirmwareHex(firmware, &s);
    std::printf(
        "main firmware: %zu characters, %zu records, %zu data records (%zu of 32 bytes), "
        "%zu data bytes in %zu runs, version %s\n",
        firmware.size(), s.records, s.dataRecords, s.dataRecordsOf32, s.dataBytes, s.runs,
        s.version.c_str());
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace
}  // namespace kell::payloads

int main(int argc, char** argv) {
    using namespace kell::payloads;
    const bool summary = argc == 3 && std::string(argv[2]) == "--summary";
    if (argc != 2 && !summary) {
        std::fprintf(stderr, "usage: kell-generate-payloads FOLDER [--summary]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const PayloadFile& file : kPayloadFiles) {
        const std::vector<std::uint8_t> bytes = Generate(file);
        if (std::string problem = CheckPayload(file, bytes); !problem.empty()) {
            std::fprintf(stderr, "generated %.*s is unusable: %s\n",
                         static_cast<int>(file.name.size()), file.name.data(), problem.c_str());
            return 1;
        }
        const std::filesystem::path path = folder / file.name;
        if (!WriteFile(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
            return 1;
        }
        if (summary && file.kind == PayloadKind::kMainFirmwareHex) {
            PrintSummary(bytes);
        }
    }
    return 0;
}
