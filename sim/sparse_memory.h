#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace kell::sim {

// A 24-bit byte-addressed memory held in 64 KiB pages that exist only once written. Bytes never
// written read as the memory's fill value (0xFF for flash, 0x00 for RAM). Addresses wrap at
// 24 bits, as the instrument's bank byte and 16-bit address do.
class SparseMemory {
  public:
    static constexpr std::uint32_t kPageSize = 0x10000;
    static constexpr std::uint32_t kAddressMask = 0xFFFFFF;

    explicit SparseMemory(std::uint8_t fill) : fill_(fill) {}

    std::uint8_t Read(std::uint32_t address) const;
    std::vector<std::uint8_t> Read(std::uint32_t address, std::size_t count) const;
    void Write(std::uint32_t address, std::uint8_t value);
    void Write(std::uint32_t address, const std::uint8_t* data, std::size_t count);
    void Write(std::uint32_t address, const std::vector<std::uint8_t>& data) {
        Write(address, data.data(), data.size());
    }
    // Back to the fill value: one 64 KiB page (bank, segment, sector), or everything.
    void ErasePage(std::uint8_t page) { pages_.erase(page); }
    void Clear() { pages_.clear(); }
    // Whether a page holds anything but the fill value.
    bool PageHoldsData(std::uint8_t page) const;
    // A page's 64 KiB as they read.
    std::vector<std::uint8_t> Page(std::uint8_t page) const;
    void SetPage(std::uint8_t page, const std::vector<std::uint8_t>& bytes);

  private:
    using PageData = std::array<std::uint8_t, kPageSize>;
    PageData& PageFor(std::uint8_t page);

    std::uint8_t fill_;
    std::map<std::uint8_t, std::unique_ptr<PageData>> pages_;
};

}  // namespace kell::sim
