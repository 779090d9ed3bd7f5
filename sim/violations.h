#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kell::sim {

// What the instrument found wrong in what the PC sent. A session that follows the protocol
// leaves none; a test may accept a kind on purpose by filtering it out.
enum class ViolationKind {
    UnknownCommand,  // a byte that starts no command
    FrameTimeout,    // a frame stopped half-way and was dropped
    BadLength,       // a length byte or count outside what the frame allows
    BadChecksum,     // an XOR check byte that does not match
    BadConstant,     // a fixed byte of a frame with another value
    BadAddress,      // a bank or address outside what the command may reach
    NotErased,       // a block into staging memory that was not erased
    UnwrittenPage,   // a commit flag for a staging page that holds nothing written
    OutOfSequence,   // a command the instrument is not ready for
    BadRecord,       // a configuration record whose own length, markers or XOR are wrong
    KeypadProtocol,  // the keypad procedure got something other than it asked for
};

struct Violation {
    std::int64_t timeUs;
    ViolationKind kind;
    std::string text;
};

std::string_view ViolationKindName(ViolationKind kind);

class ViolationLog {
  public:
    void Add(std::int64_t timeUs, ViolationKind kind, std::string text) {
        entries_.push_back({timeUs, kind, std::move(text)});
    }
    const std::vector<Violation>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }
    std::size_t Count(ViolationKind kind) const;
    // One line per violation: "  12.345 ms  bad-checksum: block at 0xAB1000: XOR 12, expected 34".
    std::string Format(std::int64_t originUs = 0) const;

  private:
    std::vector<Violation> entries_;
};

}  // namespace kell::sim
