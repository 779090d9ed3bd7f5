#include "tests/support/scripted_record_store.h"

#include <stdexcept>

namespace kell::testing {
namespace {

std::uint32_t BigEndian24(const Bytes& f, std::size_t at) {
    return (static_cast<std::uint32_t>(f[at]) << 16) | (f[at + 1] << 8) | f[at + 2];
}

}  // namespace

std::optional<std::size_t> ScriptedRecordStore::FrameLength(const Bytes& start) const {
    switch (start[0]) {
        case 0x02:
            return start.size() < 2 ? 0 : 2u + start[1];
        case 0x0C:
        case 0x0F:
            return 2;
        case 0x5A:
            return 133;
        case 0x5B:
            return 12;
        default:
            return std::nullopt;
    }
}

void ScriptedRecordStore::OnFrame(const Bytes& frame) {
    Answer answer = UsualAnswer(frame);
    if (answerFor) {
        if (std::optional<Answer> other = answerFor(frame))
            answer = *other;
    }
    if (!answer.bytes.empty())
        voice_.Say(answer.bytes, answer.delayUs);
}

bool ScriptedRecordStore::CheckByteRight(const Bytes& f) {
    const std::uint8_t x = XorOf(std::span(f).subspan(1, f.size() - 2));
    badFrames += x != f.back();
    return x == f.back();
}

ScriptedRecordStore::Answer ScriptedRecordStore::UsualAnswer(const Bytes& f) {
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
            if (!CheckByteRight(f))
                return {};
            const std::uint32_t address = BigEndian24(f, 1);
            for (std::size_t i = 0; i < 128 && address + i < loaderBuffer.size(); ++i)
                loaderBuffer[address + i] = f[4 + i];
            return {{0xA5}, answerDelayUs};
        }
        case 0x5B: {
            if (!CheckByteRight(f))
                return {};
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

std::optional<std::uint8_t> ScriptedRecordStore::Eeprom(char letter, int bank, int address) const {
    const auto it = eeprom.find({letter, bank, address});
    if (it == eeprom.end())
        return std::nullopt;
    return it->second;
}

Bytes ScriptedRecordStore::EepromBytes(char letter, int bank, int address, int count) const {
    Bytes bytes;
    for (int i = 0; i < count; ++i) {
        const std::optional<std::uint8_t> byte = Eeprom(letter, bank, address + i);
        if (!byte)
            throw std::out_of_range("parameter store byte never written");
        bytes.push_back(*byte);
    }
    return bytes;
}

std::vector<EepromWriteSeen> EepromWrites(const std::vector<ReceivedFrame>& frames) {
    std::vector<EepromWriteSeen> seen;
    const Bytes* previous = nullptr;
    for (const ReceivedFrame& frame : frames) {
        const Bytes& f = frame.bytes;
        if (!IsEepromWrite(f))
            continue;
        if (!previous || *previous != f)
            seen.push_back({static_cast<char>(f[3]), f[4], EepromAddress(f), f.size() - 7});
        previous = &f;
    }
    return seen;
}

}  // namespace kell::testing
