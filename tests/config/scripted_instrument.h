#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"

namespace kell::test {

using Bytes = std::vector<std::uint8_t>;

// A small stand-in for the instrument, written from its side of the line and sharing nothing
// with the updater. It cuts what it receives into frames, keeps what the parameter-store
// writes and the loader's buffer frames carry, and answers as the instrument does:
//   02 len 'P' ...  parameter-store write      0x20
//   02 len ...      loader call                nothing
//   0C n            sector erase               n
//   5A ...          loader buffer frame        A5
//   5B ...          loader sector frame        B5
//   0F x, 0A        closing bytes, link end    nothing
// A test changes an answer through answerFor.
class ScriptedInstrument : public LineDevice {
  public:
    struct Frame {
        std::int64_t atUs;
        Bytes bytes;
    };
    struct Answer {
        Bytes bytes;  // empty: no answer
        std::int64_t delayUs = 0;
    };
    struct Programmed {
        std::uint8_t sector;
        std::uint32_t length;
        std::uint8_t dataCheck;
        bool operator==(const Programmed&) const = default;
    };

    ScriptedInstrument(VirtualClock& clock, DevicePort& port) : clock_(clock), port_(port) {}

    void OnByteFromHost(std::uint8_t byte) override;

    // The answer to a frame instead of the usual one; nullopt keeps the usual one.
    std::function<std::optional<Answer>(const Bytes& frame)> answerFor;
    // How long the usual answers take.
    std::int64_t answerDelayUs = 2000;

    // Every frame received, in order.
    std::vector<Frame> frames;
    std::vector<Bytes> FramesOf(std::uint8_t command) const;

    // What the parameter-store writes left, by area letter, bank and address.
    std::map<std::tuple<char, int, int>, std::uint8_t> eeprom;
    std::optional<std::uint8_t> Eeprom(char letter, int bank, int address) const;
    // count bytes from address; every one of them must have been written.
    Bytes EepromBytes(char letter, int bank, int address, int count) const;

    Bytes loaderBuffer = Bytes(0x20000, 0x00);
    std::vector<Programmed> programmed;
    std::vector<std::uint8_t> erasedByLoader;
    // Frames whose check byte was wrong.
    int badFrames = 0;

  private:
    std::size_t FrameLength() const;
    void OnFrame(const Bytes& frame);
    Answer UsualAnswer(const Bytes& frame);

    VirtualClock& clock_;
    DevicePort& port_;
    Bytes pending_;
};

// Parameter-store frame fields.
inline bool IsEepromWrite(const Bytes& f) {
    return f.size() >= 7 && f[0] == 0x02 && f[2] == 'P';
}
inline int EepromAddress(const Bytes& f) {
    return (f[5] << 8) | f[6];
}
inline Bytes EepromData(const Bytes& f) {
    return Bytes(f.begin() + 7, f.end());
}

}  // namespace kell::test

namespace kell::test {

// One parameter-store write as the instrument saw it; retries of the same frame count once.
struct EepromWriteSeen {
    char letter;
    int bank;
    int address;
    std::size_t size;
    bool operator==(const EepromWriteSeen&) const = default;
};

inline std::vector<EepromWriteSeen> EepromWrites(const ScriptedInstrument& instrument) {
    std::vector<EepromWriteSeen> seen;
    const Bytes* previous = nullptr;
    for (const ScriptedInstrument::Frame& frame : instrument.frames) {
        const Bytes& f = frame.bytes;
        if (!IsEepromWrite(f))
            continue;
        if (!previous || *previous != f)
            seen.push_back({static_cast<char>(f[3]), f[4], EepromAddress(f), f.size() - 7});
        previous = &f;
    }
    return seen;
}

}  // namespace kell::test
