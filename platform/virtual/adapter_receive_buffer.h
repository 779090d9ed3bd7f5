#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/virtual/virtual_clock.h"

namespace kell {

// The receive side of a USB serial adapter. Bytes from the far end wait in the adapter until
// its latency timer fires (at whole multiples of the latency on the virtual clock) or its
// packet fills, and then reach the PC together. With a latency of 0 every byte is passed on as
// it comes, as a plain serial port does.
class AdapterReceiveBuffer {
  public:
    // A full-speed bulk packet of 64 bytes less the adapter's two status bytes.
    static constexpr std::size_t kPacketSize = 62;
    using PassOn = std::function<void(std::uint8_t)>;

    AdapterReceiveBuffer(VirtualClock& clock, PassOn passOn);
    ~AdapterReceiveBuffer();
    AdapterReceiveBuffer(const AdapterReceiveBuffer&) = delete;
    AdapterReceiveBuffer& operator=(const AdapterReceiveBuffer&) = delete;

    // What the adapter holds when the latency changes is passed on at once.
    void SetLatencyMs(std::uint32_t ms);
    std::uint32_t LatencyMs() const { return latencyMs_; }

    // A byte that arrived from the far end.
    void Take(std::uint8_t byte);
    // Forgets what the adapter holds (the port closed, the adapter unplugged).
    void Discard();

  private:
    void Flush();

    VirtualClock& clock_;
    PassOn passOn_;
    std::uint32_t latencyMs_ = 0;
    std::vector<std::uint8_t> packet_;
    std::optional<Scheduler::EventId> tick_;  // the latency tick that sends the packet
};

}  // namespace kell
