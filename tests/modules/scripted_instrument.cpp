#include "tests/modules/scripted_instrument.h"

namespace kell::test {

namespace {

std::uint8_t XorOf(const Bytes& bytes, std::size_t from, std::size_t to) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < to; ++i)
        x ^= bytes[i];
    return x;
}

}  // namespace

ScriptedInstrument::ScriptedInstrument(VirtualClock& clock, DevicePort& port)
    : clock_(clock), port_(port), memory_(1u << 24, 0xFF) {}

void ScriptedInstrument::Say(std::uint8_t byte, std::int64_t delayUs) {
    clock_.After(delayUs, [this, byte] { port_.SendToHost(&byte, 1); });
}

std::vector<Bytes> ScriptedInstrument::Commands(std::uint8_t first) const {
    std::vector<Bytes> found;
    for (const Bytes& command : commands)
        if (command.front() == first)
            found.push_back(command);
    return found;
}

std::size_t ScriptedInstrument::FrameLength() const {
    switch (frame_.front()) {
        case 0x03:
            return frame_.size() < 2 ? 2 : frame_[1] + 2u;
        case 0x07:
            return 5;
        case 0x09:
            return 67;
        case 0x0D:
        case 0x0F:
            return 2;
        case 0x4C:
        case 0xCC:
            return 9;
        default:
            return 1;
    }
}

void ScriptedInstrument::OnByteFromHost(std::uint8_t byte) {
    frame_.push_back(byte);
    if (frame_.size() < FrameLength())
        return;
    Bytes frame;
    frame.swap(frame_);
    Handle(frame);
}

void ScriptedInstrument::Handle(const Bytes& frame) {
    switch (frame.front()) {
        case 0x03:
            HandleBlock(frame);
            return;
        case 0xFF:  // filler of a resynchronisation: ready for the frame again
            Say('?', 100);
            return;
        case 0xAA:
            ++refusalBytes;
            return;
        default:
            break;
    }
    commands.push_back(frame);
    switch (frame.front()) {
        case 0x07: {
            if (XorOf(frame, 1, 4) != frame[4])
                ++badFrames;
            std::optional<Answer> answer = Answer{'p', 10'000};
            if (!eraseAnswers.empty()) {
                answer = eraseAnswers.front();
                eraseAnswers.pop_front();
            }
            if (answer)
                Say(answer->byte, answer->delayUs);
            return;
        }
        case 0x09:
            if (XorOf(frame, 1, 66) != frame[66])
                ++badFrames;
            for (std::size_t i = 0; i < commitStatus.size(); ++i)
                Say(commitStatus[i], static_cast<std::int64_t>(i + 1) * commitGapUs);
            return;
        case 0x0D:
            started_ = true;
            if (startAnswerDelayUs)
                Say(0x55, *startAnswerDelayUs);
            return;
        case 0x4C:
        case 0xCC:
            if (!started_)
                ++badFrames;
            if (finishDelayUs)
                Say(0xBB, *finishDelayUs);
            return;
        default:
            return;
    }
}

void ScriptedInstrument::HandleBlock(const Bytes& frame) {
    ++blockFrames;
    const std::size_t n = frame[1] - 4u;
    if (XorOf(frame, 1, frame.size() - 1) != frame.back()) {
        ++badFrames;
        Say('E', 100);
        return;
    }
    if (blockFrames > refuseFromBlock) {
        Say('E', 100);
        return;
    }
    const Block block{frame[4], static_cast<std::uint16_t>(frame[2] | frame[3] << 8), n};
    // Bytes past the end of a bank run on into the next one.
    const std::uint32_t start = static_cast<std::uint32_t>(block.bank) << 16 | block.address;
    for (std::size_t i = 0; i < n; ++i)
        memory_[(start + i) & 0xFFFFFF] = frame[5 + i];
    blocks.push_back(block);
    Say('0', 100);
}

}  // namespace kell::test
