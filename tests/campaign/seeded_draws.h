#pragma once

#include <cstdint>
#include <random>

namespace kell::testing {

// Draws from a seed that come out the same with every standard library: the engine's output is
// fixed by the standard, the distributions' is not, so they are made here.
class SeededDraws {
  public:
    explicit SeededDraws(std::uint64_t seed) : engine_(seed) {}

    // Uniform in [0, n); 0 for n = 0. Rejection keeps it free of the modulo's bias.
    std::uint64_t Below(std::uint64_t n) {
        if (n == 0)
            return 0;
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
        std::uint64_t x = 0;
        do {
            x = engine_();
        } while (x >= limit);
        return x % n;
    }
    // Uniform in [low, high].
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
        return low + Below(high - low + 1);
    }
    // True with probability numerator / denominator.
    bool Chance(std::uint64_t numerator, std::uint64_t denominator) {
        return Below(denominator) < numerator;
    }
    // A position in [0, 1) with 2^32 steps, for placing a fault in a stretch of unknown length.
    double Fraction() { return static_cast<double>(Below(1ull << 32)) / 4294967296.0; }

  private:
    std::mt19937_64 engine_;
};

}  // namespace kell::testing
