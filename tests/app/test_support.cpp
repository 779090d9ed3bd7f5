#include "tests/app/test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace kell::testing {

TempDir::TempDir() {
    // A new folder of a random name; create_directory says whether it was there already.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("kell-app-" + std::to_string(random()));
        if (std::filesystem::create_directory(path)) {
            path_ = path.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string DataLine(std::uint16_t address, const std::string& ascii) {
    return HexLine(0x00, address, std::vector<std::uint8_t>(ascii.begin(), ascii.end()));
}

std::string SyntheticImage(std::initializer_list<std::uint16_t> pages, const std::string& release,
                           const std::string& build) {
    std::string text;
    for (std::uint16_t page : pages) {
        text += UpperAddressLine(page);
        if (page == 0x0018) {
            text += DataLine(0x0000, "KELL SERIES MAIN");
            text += DataLine(0x0010, release + std::string(2, '\0'));
            text += DataLine(0x0016, build + std::string(1, '\0'));
        }
        for (std::uint16_t offset = 0x0100; offset < 0x0160; offset += 0x20)
            text += DataLine(offset, std::string(32, static_cast<char>('A' + (page & 0x0F))));
    }
    return text + EndOfFileLine();
}

}  // namespace kell::testing
