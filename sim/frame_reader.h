#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kell::sim {

// Cuts the byte stream from the PC into commands. The first byte names the command, and the
// command's own length rule says how many bytes belong to it (a fixed size, or a length byte
// or word early in the frame). A byte that starts no known command is reported and dropped, so
// the reader falls back into step on stray bytes; a frame left half-way is dropped by the
// owner's time-out (Reset).
class FrameReader {
  public:
    enum class Result {
        Incomplete,  // the byte belongs to a frame still being received
        Complete,    // Frame() holds a whole frame
        Unknown,     // the byte starts no command; it was dropped
        Malformed,   // the header announces an impossible length; the bytes so far were dropped
    };

    // In keypad mode only the keypad procedure's frames (0xBC, n, n bytes) are known.
    void SetKeypadMode(bool on) {
        keypad_ = on;
        Reset();
    }
    Result Feed(std::uint8_t byte);
    const std::vector<std::uint8_t>& Frame() const { return frame_; }
    // Bytes of a frame received so far (0 when between frames).
    std::size_t Pending() const { return complete_ ? 0 : frame_.size(); }
    // The length the frame in progress will have, 0 while its header is incomplete.
    std::size_t Expected() const { return expected_; }
    void Reset() {
        frame_.clear();
        expected_ = 0;
        complete_ = false;
    }

    // The whole length of a command frame from its first bytes: 0 while more header bytes are
    // needed, -1 for a first byte that starts no command, -2 for an impossible length.
    static long CommandLength(const std::vector<std::uint8_t>& head);
    static long KeypadLength(const std::vector<std::uint8_t>& head);

  private:
    bool keypad_ = false;
    bool complete_ = false;
    std::size_t expected_ = 0;
    std::vector<std::uint8_t> frame_;
};

}  // namespace kell::sim
