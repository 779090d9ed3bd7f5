#include "tests/config/scripted_instrument.h"

#include <algorithm>
#include <stdexcept>

namespace kell::test {

namespace {

std::uint8_t Xor(Bytes::const_iterator from, Bytes::const_iterator to) {
    std::uint8_t x = 0;
    for (auto it = from; it != to; ++it)
        x ^= *it;
    return x;
}

std::uint32_t BigEndian24(const Bytes& f, std::size_t at) {
    return (static_cast<std::uint32_t>(f[at]) << 16) | (f[at + 1] << 8) | f[at + 2];
}

}  // namespace

std::size_t ScriptedInstrument::FrameLength() const {
    switch (pending_[0]) {
        case 0x02:
            return pending_.size() < 2 ? 2 : 2 + pending_[1];
        case 0x0C:
        case 0x0F:
            return 2;
        case 0x5A:
            return 133;
        case 0x5B:
            return 12;
        default:
            return 1;
    }
}

void ScriptedInstrument::OnByteFromHost(std::uint8_t byte) {
    pending_.push_back(byte);
    if (pending_.size() < FrameLength())
        return;
    Bytes frame;
    frame.swap(pending_);
    frames.push_back({clock_.NowUs(), frame});
    OnFrame(frame);
}

void ScriptedInstrument::OnFrame(const Bytes& frame) {
    Answer answer = UsualAnswer(frame);
    if (answerFor) {
        if (std::optional<Answer> other = answerFor(frame))
            answer = *other;
    }
    if (answer.bytes.empty())
        return;
    clock_.After(answer.delayUs,
                 [this, bytes = answer.bytes] { port_.SendToHost(bytes.data(), bytes.size()); });
}

ScriptedInstrument::Answer ScriptedInstrument::UsualAnswer(const Bytes& f) {
    switch (f[0]) {
        case 0x02:
            if (!IsEepromWrite(f))
                return {};
            for (std::size_t i = 7; i < f.size(); ++i)
                eeprom[{static_cast<char>(f[3]), f[4],
                        EepromAddress(f) + static_cast<int>(i - 7)}] = f[i];
            return {{0x20}, answerDelayUs};
        case 0x0C:
            return {{f[1]}, answerDelayUs};
        case 0x5A: {
            if (Xor(f.begin() + 1, f.end() - 1) != f.back()) {
                ++badFrames;
                return {};
            }
            const std::uint32_t address = BigEndian24(f, 1);
            for (std::size_t i = 0; i < 128 && address + i < loaderBuffer.size(); ++i)
                loaderBuffer[address + i] = f[4 + i];
            return {{0xA5}, answerDelayUs};
        }
        case 0x5B: {
            if (Xor(f.begin() + 1, f.end() - 1) != f.back()) {
                ++badFrames;
                return {};
            }
            const std::uint32_t length = BigEndian24(f, 4);
            if (length == 0)
                erasedByLoader.push_back(f[7]);
            else
                programmed.push_back({f[7], length, f[10]});
            return {{0xB5}, answerDelayUs};
        }
        default:
            return {};
    }
}

std::vector<Bytes> ScriptedInstrument::FramesOf(std::uint8_t command) const {
    std::vector<Bytes> found;
    for (const Frame& frame : frames)
        if (frame.bytes[0] == command)
            found.push_back(frame.bytes);
    return found;
}

std::optional<std::uint8_t> ScriptedInstrument::Eeprom(char letter, int bank, int address) const {
    auto it = eeprom.find({letter, bank, address});
    if (it == eeprom.end())
        return std::nullopt;
    return it->second;
}

Bytes ScriptedInstrument::EepromBytes(char letter, int bank, int address, int count) const {
    Bytes bytes;
    for (int i = 0; i < count; ++i) {
        const std::optional<std::uint8_t> byte = Eeprom(letter, bank, address + i);
        if (!byte)
            throw std::out_of_range("parameter store byte never written");
        bytes.push_back(*byte);
    }
    return bytes;
}

}  // namespace kell::test
