#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/bytes.h"
#include "tests/support/hex_records.h"
#include "tests/support/updater_rig.h"
#include "tests/support/voice.h"

// A keypad image, an instrument that plays the keypad procedure as a plan and a session on the
// virtual line, written from the instrument's side and apart from the programmer on purpose.
namespace kell::testing {

// An image of the exact keypad layout: 256 data lines of 64 bytes, the security address line
// and data line, the checksum address line and its 2-byte data line, the end record. Digits
// are lower case and every record checksum is right.
struct KeypadImage {
    std::string text;
    std::vector<Bytes> blocks;
    Bytes security;
    Bytes checksum;

    std::span<const std::uint8_t> Span() const {
        return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    }
};
KeypadImage MakeKeypadImage(unsigned seed = 1);

// Where the lines after the data lines start in the image.
inline constexpr std::size_t kSecurityLine = 256 * 141;
inline constexpr std::size_t kChecksumLine = kSecurityLine + 17 + 141;

// The instruction words of each table request as the keypad maker lists them.
const std::map<int, std::string>& KeypadTableListings();
// The frame payloads (words of 3 bytes) of table `request`.
std::vector<Bytes> TablePayloads(int request);

// A far end that plays a plan: say bytes, then hear a number of bytes before going on. It
// records everything it hears. Once the plan is played it stays silent.
class PlanInstrument : public LineDevice {
  public:
    PlanInstrument(VirtualClock& clock, DevicePort& port) : voice_(clock, port) {}

    void Say(std::uint8_t byte) { plan_.push_back({true, byte, 0}); }
    void Hear(std::size_t count) { plan_.push_back({false, 0, count}); }
    bool PlanDone() const { return plan_.empty(); }

    void OnByteFromHost(std::uint8_t byte) override;

    Bytes heard;
    std::int64_t lastHeardUs = 0;

  private:
    struct Step {
        bool say;
        std::uint8_t byte;
        std::size_t count;
    };
    void SayWhatFollows();

    Voice voice_;
    std::deque<Step> plan_;
    std::size_t heardInStep_ = 0;
};

// The instrument's side of the keypad procedure as a plan: each request with the answer the
// PC must give, acknowledged as the instrument does.
class KeypadScript {
  public:
    // The acknowledgement byte. It is a request code on purpose: a PC that misses a wait reads
    // it as a request and answers it, which the transcript shows.
    static constexpr std::uint8_t kAck = 15;

    explicit KeypadScript(PlanInstrument& instrument);

    // A request with its full answer (tables, fixed frames, all 256 blocks, records).
    KeypadScript& Request(std::uint8_t code);
    // A request that the PC answers with nothing (an ignored code, a record that fails).
    KeypadScript& Unanswered(std::uint8_t code);
    // Request 14 with `blocks` blocks taken; after block i the instrument sends nextCode[i]
    // instead of 14 where given (-1: nothing at all).
    KeypadScript& Blocks(int blocks, const std::map<int, int>& nextCode = {});

  private:
    void Table(int request);

    PlanInstrument& instrument_;
    bool shortSequence_ = false;
};

// The frames of a transcript: it must start with 0xBB; then frames 0xBC, n, n bytes. Returns
// the payloads; a transcript that does not parse gives a failed expectation.
std::vector<Bytes> Frames(const Bytes& heard);

// A session on a virtual line with the instrument attached and the channel open.
struct KeypadRig : UpdaterRig<PlanInstrument> {
    KeypadRig();

    KeypadScript script{instrument};
};

}  // namespace kell::testing
