#pragma once

#include <cstdint>
#include <span>

namespace kell::payloads {

// Deterministic filler bytes (splitmix64): the same seed gives the same bytes on every build and
// every machine, and different seeds give unrelated bytes.
class ByteSource {
  public:
    explicit ByteSource(std::uint64_t seed) : state_(seed) {}

    std::uint8_t Next() {
        if (left_ == 0) {
            word_ = NextWord();
            left_ = 8;
        }
        --left_;
        const auto byte = static_cast<std::uint8_t>(word_);
        word_ >>= 8;
        return byte;
    }

    void Fill(std::span<std::uint8_t> bytes) {
        for (std::uint8_t& b : bytes) {
            b = Next();
        }
    }

  private:
    std::uint64_t NextWord() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t state_;
    std::uint64_t word_ = 0;
    int left_ = 0;
};

}  // namespace kell::payloads
