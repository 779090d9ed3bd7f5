#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/support/hex_records.h"

namespace kell::testing {

// A directory of its own for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Writes the bytes to name inside the directory; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

// A data record of the text's bytes.
std::string DataLine(std::uint16_t address, const std::string& ascii);

// An image laid out like the instrument's firmware: a few data records in each of the pages,
// with the release and build text at bank 0xC3 (upper address 0x0018).
std::string SyntheticImage(std::initializer_list<std::uint16_t> pages, const std::string& release,
                           const std::string& build);

inline std::span<const std::uint8_t> SpanOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace kell::testing
