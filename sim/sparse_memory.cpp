#include "sim/sparse_memory.h"

#include <algorithm>

namespace kell::sim {

std::uint8_t SparseMemory::Read(std::uint32_t address) const {
    address &= kAddressMask;
    auto it = pages_.find(static_cast<std::uint8_t>(address >> 16));
    return it == pages_.end() ? fill_ : (*it->second)[address & 0xFFFF];
}

std::vector<std::uint8_t> SparseMemory::Read(std::uint32_t address, std::size_t count) const {
    std::vector<std::uint8_t> out(count, fill_);
    std::size_t done = 0;
    while (done < count) {
        const std::uint32_t a = (address + static_cast<std::uint32_t>(done)) & kAddressMask;
        const std::size_t span = std::min<std::size_t>(count - done, kPageSize - (a & 0xFFFF));
        auto it = pages_.find(static_cast<std::uint8_t>(a >> 16));
        if (it != pages_.end()) {
            std::copy_n(it->second->begin() + (a & 0xFFFF), span, out.begin() + done);
        }
        done += span;
    }
    return out;
}

void SparseMemory::Write(std::uint32_t address, std::uint8_t value) {
    address &= kAddressMask;
    PageFor(static_cast<std::uint8_t>(address >> 16))[address & 0xFFFF] = value;
}

void SparseMemory::Write(std::uint32_t address, const std::uint8_t* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::uint32_t a = (address + static_cast<std::uint32_t>(done)) & kAddressMask;
        const std::size_t span = std::min<std::size_t>(count - done, kPageSize - (a & 0xFFFF));
        std::copy_n(data + done, span,
                    PageFor(static_cast<std::uint8_t>(a >> 16)).begin() + (a & 0xFFFF));
        done += span;
    }
}

bool SparseMemory::PageHoldsData(std::uint8_t page) const {
    auto it = pages_.find(page);
    if (it == pages_.end())
        return false;
    return std::any_of(it->second->begin(), it->second->end(),
                       [this](std::uint8_t b) { return b != fill_; });
}

std::vector<std::uint8_t> SparseMemory::Page(std::uint8_t page) const {
    auto it = pages_.find(page);
    if (it == pages_.end())
        return std::vector<std::uint8_t>(kPageSize, fill_);
    return std::vector<std::uint8_t>(it->second->begin(), it->second->end());
}

void SparseMemory::SetPage(std::uint8_t page, const std::vector<std::uint8_t>& bytes) {
    PageData& data = PageFor(page);
    std::fill(data.begin(), data.end(), fill_);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kPageSize), data.begin());
}

SparseMemory::PageData& SparseMemory::PageFor(std::uint8_t page) {
    auto& slot = pages_[page];
    if (!slot) {
        slot = std::make_unique<PageData>();
        slot->fill(fill_);
    }
    return *slot;
}

}  // namespace kell::sim
