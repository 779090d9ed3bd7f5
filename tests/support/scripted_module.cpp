#include "tests/support/scripted_module.h"

namespace kell::testing {

std::vector<std::uint8_t>& ScriptedModule::Written() const {
    if (memory_.empty())
        memory_.assign(1u << 24, 0xFF);
    return memory_;
}

std::vector<Bytes> ScriptedModule::Commands(std::uint8_t first) const {
    std::vector<Bytes> found;
    for (const Bytes& command : commands)
        if (command.front() == first)
            found.push_back(command);
    return found;
}

std::optional<std::size_t> ScriptedModule::FrameLength(const Bytes& start) const {
    switch (start.front()) {
        case 0x03:
            return start.size() < 2 ? 0 : start[1] + 2u;
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
        case 0xAA:
        case 0xFF:
            return 1;
        default:
            return std::nullopt;
    }
}

void ScriptedModule::OnFrame(const Bytes& frame) {
    switch (frame.front()) {
        case 0x03:
            OnBlock(frame);
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
            if (XorOf(std::span(frame).subspan(1, 3)) != frame[4])
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
            if (XorOf(std::span(frame).subspan(1, 65)) != frame[66])
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

void ScriptedModule::OnBlock(const Bytes& frame) {
    ++blockFrames;
    // Length, address, bank and XOR come with every block, however short.
    const std::size_t n = frame.size() < 6 ? 0 : frame[1] - 4u;
    if (frame.size() < 6 || XorOf(std::span(frame).subspan(1, frame.size() - 2)) != frame.back()) {
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
    std::vector<std::uint8_t>& memory = Written();
    for (std::size_t i = 0; i < n; ++i)
        memory[(start + i) & 0xFFFFFF] = frame[5 + i];
    blocks.push_back(block);
    Say('0', 100);
}

}  // namespace kell::testing
