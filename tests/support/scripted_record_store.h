#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "tests/support/scripted_part.h"

namespace kell::testing {

// The frames of the configuration: it keeps what the parameter-store writes and the loader's
// buffer frames carry, and answers as the instrument does:
//   02 len 'P' ...  parameter-store write      0x20
//   02 len ...      loader call                nothing
//   0C n            sector erase               n
//   5A ...          loader buffer frame        A5
//   5B ...          loader sector frame        B5
//   0F x            closing bytes              nothing
// A test changes an answer through answerFor.
class ScriptedRecordStore : public ScriptedPart {
  public:
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

    explicit ScriptedRecordStore(const Voice& voice) : voice_(voice) {}

    std::optional<std::size_t> FrameLength(const Bytes& start) const override;
    void OnFrame(const Bytes& frame) override;

    // The answer to a frame instead of the usual one; nullopt keeps the usual one.
    std::function<std::optional<Answer>(const Bytes& frame)> answerFor;
    // How long the usual answers take.
    std::int64_t answerDelayUs = 2000;

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
    Answer UsualAnswer(const Bytes& frame);
    bool CheckByteRight(const Bytes& frame);

    const Voice& voice_;
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

// One parameter-store write as the instrument saw it; retries of the same frame count once.
struct EepromWriteSeen {
    char letter;
    int bank;
    int address;
    std::size_t size;
    bool operator==(const EepromWriteSeen&) const = default;
};
std::vector<EepromWriteSeen> EepromWrites(const std::vector<ReceivedFrame>& frames);

}  // namespace kell::testing
