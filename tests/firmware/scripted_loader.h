#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/bytes.h"
#include "tests/support/voice.h"

namespace kell::testing {

// 64 KiB banks of a flash, by bank (or segment) number; -1 marks a byte never written.
class SparseFlash {
  public:
    using Bank = std::vector<std::int16_t>;

    void Write(std::uint32_t linear, std::uint8_t byte) { BankAt(linear)[linear & 0xFFFF] = byte; }
    // Bytes from `linear` on, running on into the next bank where they pass a bank's end.
    void Write(std::uint32_t linear, const Bytes& bytes) {
        Bank* bank = &BankAt(linear);
        for (std::uint8_t byte : bytes) {
            if ((linear & 0xFFFF) == 0)
                bank = &BankAt(linear);
            (*bank)[linear++ & 0xFFFF] = byte;
        }
    }
    const std::map<std::uint32_t, Bank>& Banks() const { return banks_; }
    const Bank* Find(std::uint32_t bank) const {
        auto it = banks_.find(bank);
        return it == banks_.end() ? nullptr : &it->second;
    }
    void Put(std::uint32_t number, const Bank& bank) { banks_[number] = bank; }
    void Clear() { banks_.clear(); }

  private:
    Bank& BankAt(std::uint32_t linear) {
        Bank& bank = banks_[linear >> 16 & 0xFF];
        if (bank.empty())
            bank.assign(65536, -1);
        return bank;
    }

    std::map<std::uint32_t, Bank> banks_;
};

// The instrument's loader as these tests need it, written from its side of the line: it takes
// the loader stages (or the bootstrap upload), answers 0xAA with 'f', the staging erase and the
// raster clear with 'p', checks every flash block's XOR and answers '0', stores accepted blocks
// in its staging area, and on a commit copies the flagged pages into its flash and sends the
// progress bytes. Whatever it does not know it counts.
class ScriptedLoader : public LineDevice {
  public:
    struct Block {
        std::uint8_t bank;
        std::uint16_t address;
        Bytes data;
    };

    ScriptedLoader(VirtualClock& clock, DevicePort& port) : voice_(clock, port) {}

    // ---- How it answers ----
    bool bootstrapMode = false;  // the processor waits for blocks 1 and 3 (1000 bytes)
    Bytes bootstrapAnswer{0xAD};
    Bytes stage1Answer{'@'};
    Bytes stage2Answer{0x00, 0xAD};
    Bytes readyAnswer{'f'};
    Bytes eraseAnswer{'p'};
    Bytes clearAnswer{'p'};
    Bytes resyncAnswer{'?'};
    Bytes commitAnswer = DefaultCommitAnswer();
    std::function<bool(const Block&)> refuse;  // blocks answered 'X' instead of '0'
    std::int64_t answerDelayUs = 0;

    // ---- What it received ----
    Bytes bootstrapCode, stage1Code, stage2Code;
    std::vector<Block> blocks;  // accepted flash blocks, in order
    int refusedBlocks = 0, badFrames = 0, readyRequests = 0, erases = 0, clears = 0, closings = 0;
    std::vector<Bytes> clearFrames;
    std::vector<std::array<bool, 64>> commits;  // the page flags of every well-formed commit
    SparseFlash staging;                        // by bank byte
    SparseFlash flash;                          // by segment, after the commits
    // One letter per frame taken, in order: 1 and 2 the loader stages, b the bootstrap upload,
    // R ready request, E staging erase, G raster clear, B accepted block, C commit, Z closing.
    std::string log;

    // 8A 8A (erasing) 8B 8B (writing), progress AB .. C8, then 80 80.
    static Bytes DefaultCommitAnswer() {
        Bytes answer{0x8A, 0x8A, 0x8B, 0x8B};
        for (int b = 0xAB; b <= 0xC8; ++b)
            answer.push_back(static_cast<std::uint8_t>(b));
        answer.push_back(0x80);
        answer.push_back(0x80);
        return answer;
    }

    // Sends bytes to the PC after the answer delay, asked or not.
    void Say(const Bytes& reply) {
        if (!reply.empty())
            voice_.Say(reply, answerDelayUs);
    }

    void OnByteFromHost(std::uint8_t byte) override {
        if (bootstrapMode) {
            bootstrapCode.push_back(byte);
            if (bootstrapCode.size() == 32 + 968) {
                bootstrapMode = false;
                log += 'b';
                Say(bootstrapAnswer);
            }
            return;
        }
        frame_.push_back(byte);
        const std::size_t length = FrameLength();
        if (length == 0 || frame_.size() < length)
            return;
        Bytes frame;
        frame.swap(frame_);
        Handle(frame);
    }

  private:
    // The whole length of the frame begun in frame_, or 0 while its header is incomplete.
    std::size_t FrameLength() const {
        switch (frame_[0]) {
            case 0x04:
                return frame_.size() < 3 ? 0 : 3 + (frame_[1] == 0x90 ? 144 : 968);
            case 0x03:
                return frame_.size() < 2 ? 0 : frame_[1] + 2u;
            case 0x07:
                return 5;
            case 0x09:
                return 67;
            case 0x0F:
                return 2;
            default:
                return 1;
        }
    }

    static std::uint8_t Xor(const Bytes& frame, std::size_t from, std::size_t to) {
        return XorOf(std::span(frame).subspan(from, to - from));
    }

    void Handle(const Bytes& frame) {
        switch (frame[0]) {
            case 0x04:
                (frame[1] == 0x90 ? stage1Code : stage2Code).assign(frame.begin() + 3, frame.end());
                log += frame[1] == 0x90 ? '1' : '2';
                Say(frame[1] == 0x90 ? stage1Answer : stage2Answer);
                return;
            case 0x03:
                return TakeBlock(frame);
            case 0x07:
                if (Xor(frame, 1, 4) != frame[4]) {
                    ++badFrames;
                } else if (frame[2] == 0xAB && frame[3] == 0xC9) {
                    ++erases;
                    log += 'E';
                    staging.Clear();
                    Say(eraseAnswer);
                } else {
                    ++clears;
                    log += 'G';
                    clearFrames.push_back(frame);
                    Say(clearAnswer);
                }
                return;
            case 0x09:
                return Commit(frame);
            case 0x0F:
                ++closings;
                log += 'Z';
                return;
            case 0xAA:
                ++readyRequests;
                log += 'R';
                Say(readyAnswer);
                return;
            case 0xFF:  // a filler of the block resynchronisation
                Say(resyncAnswer);
                return;
            default:
                ++badFrames;
        }
    }

    void TakeBlock(const Bytes& frame) {
        if (frame.size() < 7 || Xor(frame, 1, frame.size() - 1) != frame.back()) {
            ++badFrames;
            Say({'X'});
            return;
        }
        Block block{frame[4], static_cast<std::uint16_t>(frame[2] | frame[3] << 8),
                    Bytes(frame.begin() + 5, frame.end() - 1)};
        if (refuse && refuse(block)) {
            ++refusedBlocks;
            Say({'X'});
            return;
        }
        staging.Write(std::uint32_t{block.bank} << 16 | block.address, block.data);
        blocks.push_back(std::move(block));
        log += 'B';
        Say({'0'});
    }

    void Commit(const Bytes& frame) {
        if (frame[1] != 0x41 || Xor(frame, 1, 66) != frame[66]) {
            ++badFrames;
            return;
        }
        std::array<bool, 64> flags{};
        for (std::size_t k = 0; k < 64; ++k) {
            flags[k] = frame[2 + k] != 0;
            const auto* staged = staging.Find(static_cast<std::uint8_t>(k + 0xAB));
            if (flags[k] && staged)
                flash.Put(static_cast<std::uint32_t>(k), *staged);
        }
        commits.push_back(flags);
        log += 'C';
        Say(commitAnswer);
    }

    Voice voice_;
    Bytes frame_;
};

}  // namespace kell::testing
