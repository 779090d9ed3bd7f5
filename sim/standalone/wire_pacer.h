#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

namespace kell::sim {

// Bytes from the PC reach the instrument at the line's speed, as on a real serial line (a start
// bit, eight data bits, parity or a second stop bit, a stop bit: 11 bits a byte), not at the
// pseudo-terminal's. Bytes read are held until their wire time has passed; reading stops while
// a few are held, so the PC's writes back up as they would behind a real line.
class WirePacer {
  public:
    static constexpr int kBitsPerByte = 11;

    // Whether to read more from the pseudo-terminal now.
    bool WantsMore() const { return held_.size() < kHeldBytes; }
    // Bytes read at nowUs, on a line at `baud`: each arrives one byte time after the one before
    // it, the first one byte time after the line was last free.
    void Take(const std::uint8_t* data, std::size_t count, std::int64_t nowUs, std::uint32_t baud);
    // Hands every byte whose time has come to `deliver`, in order.
    void DeliverDue(std::int64_t nowUs, const std::function<void(std::uint8_t)>& deliver);
    // Microseconds until the next held byte is due, -1 when none is held.
    std::int64_t UntilNextUs(std::int64_t nowUs) const;

  private:
    // Enough to keep the line busy between two polls, few enough that the PC's queue holds the
    // rest.
    static constexpr std::size_t kHeldBytes = 256;
    // How often the bytes of a burst are handed over: each wake-up costs the process a system
    // call, and one per byte would keep a core busy for a few instruments.
    static constexpr std::int64_t kBatchUs = 1000;

    struct Held {
        std::uint8_t byte;
        std::int64_t dueUs;
    };
    std::deque<Held> held_;
    std::int64_t lineFreeUs_ = 0;
};

}  // namespace kell::sim
