#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "tests/support/scripted_part.h"

namespace kell::testing {

// The frames of the module updaters, written from the frames alone: it checks every frame's
// XOR, keeps the blocks (03) it accepts in a 24-bit memory and answers the staging erase (07),
// the commit (09) and the module's start and finish (0D, 4C/CC) as its script says.
class ScriptedModule : public ScriptedPart {
  public:
    struct Block {
        std::uint8_t bank;
        std::uint16_t address;
        std::size_t length;
    };
    struct Answer {
        std::uint8_t byte;
        std::int64_t delayUs;
    };

    explicit ScriptedModule(const Voice& voice) : voice_(voice) {}

    std::optional<std::size_t> FrameLength(const Bytes& start) const override;
    void OnFrame(const Bytes& frame) override;

    // What the blocks wrote, from bank 0 address 0 on; 0xFF where nothing was written.
    std::span<const std::uint8_t> Memory(std::uint32_t start, std::size_t length) const {
        return std::span(Written()).subspan(start, length);
    }
    // The command frames with this first byte, in the order they came.
    std::vector<Bytes> Commands(std::uint8_t first) const;

    // The script. Answers to the staging erase frames (07), one per frame; 'p' after 10 ms
    // once the list is used up. An empty optional leaves that frame unanswered.
    std::deque<std::optional<Answer>> eraseAnswers;
    // Status bytes after a commit (09), one every commitGapUs.
    Bytes commitStatus{0x8A, 0x8A, 0x8B, 0x8B, 0x80, 0x80};
    std::int64_t commitGapUs = 200'000;
    // Blocks from this one on (counting every block frame received) are answered 'E'.
    std::size_t refuseFromBlock = SIZE_MAX;
    // The answer to the module start (0D D0), and the module's 0xBB after the start frame
    // (CC or 4C, 9 bytes); empty: never.
    std::optional<std::int64_t> startAnswerDelayUs = 20'000;
    std::optional<std::int64_t> finishDelayUs = 400LL * 1'000'000;

    // What it saw.
    std::vector<Block> blocks;  // accepted blocks, in order
    std::vector<Bytes> commands;
    std::size_t blockFrames = 0;
    int badFrames = 0;     // a wrong XOR, or a start frame before its command
    int refusalBytes = 0;  // 0xAA after a wrong erase answer

  private:
    void OnBlock(const Bytes& frame);
    void Say(std::uint8_t byte, std::int64_t delayUs) const { voice_.Say({byte}, delayUs); }
    // The memory, laid out at its first use: 16 MiB that most instruments never need.
    std::vector<std::uint8_t>& Written() const;

    const Voice& voice_;
    mutable std::vector<std::uint8_t> memory_;
    bool started_ = false;
};

}  // namespace kell::testing
