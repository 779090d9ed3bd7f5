#pragma once

#include <cstdint>
#include <vector>

namespace kell::bench {

// The least an instrument must answer for a search to find it and its identification to finish
// at once: the probe with 0x5D, every command of the 0x01 family with zeros, the module with a
// released version. Shared by the virtual and the pseudo-terminal instrument of the benchmark.
class Responder {
  public:
    // Takes one byte from the PC; returns what to answer (empty while a frame is incomplete).
    std::vector<std::uint8_t> Take(std::uint8_t byte);

  private:
    std::vector<std::uint8_t> frame_;
};

}  // namespace kell::bench
