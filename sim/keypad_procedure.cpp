#include "sim/keypad_procedure.h"

#include <algorithm>
#include <cstdio>

namespace kell::sim {
namespace {

std::string FrameText(const std::vector<std::uint8_t>& frame) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < frame.size() && i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", frame[i]);
        out += buf;
    }
    if (frame.size() > 8)
        out += "...";
    return out;
}

bool IsEndCode(std::uint8_t code) {
    return code >= 18 && code <= 21;
}

}  // namespace

KeypadProcedure::KeypadProcedure(std::vector<std::uint8_t> requests, const Timing& timing)
    : requests_(std::move(requests)), timing_(timing) {}

KeypadProcedure::Output KeypadProcedure::Start() {
    Output out;
    out.delayUs = timing_.keypadAnswerUs;
    Advance(out);
    return out;
}

void KeypadProcedure::Advance(Output& out) {
    while (next_ < requests_.size()) {
        const std::uint8_t code = requests_[next_++];
        if (IsEndCode(code)) {
            // The keypad is programmed and verified before the verdict goes out.
            if (out.send.empty())
                out.delayUs = timing_.keypadProgramUs;
            out.send.push_back(code);
            record_.requestsSent.push_back(code);
            record_.endCode = code;
            done_ = out.done = true;
            expect_ = Expect::Nothing;
            return;
        }
        out.send.push_back(code);
        record_.requestsSent.push_back(code);
        Expecting(out, code);
        if (expect_ != Expect::Nothing)
            return;
    }
    // The list ran out without an end code: the procedure just stops.
    done_ = out.done = true;
    expect_ = Expect::Nothing;
}

void KeypadProcedure::Expecting(Output& out, std::uint8_t code) {
    request_ = code;
    expect_ = Expect::Nothing;
    if (!KeypadTable(code).empty()) {
        if (code == 6)
            shortSequence_ = true;
        expect_ = Expect::Table;
        tableCode_ = code;
        word_ = 0;
        tableAfterBlock_ = false;
        record_.tables.push_back({code, {}});
        return;
    }
    switch (code) {
        case 10:
            fixed_ = {0xBC, 0x02, 0x00, 0x1F};
            expect_ = Expect::FixedFrame;
            break;
        case 15:
            fixed_ = {0xBC, 0x02, 0x00, 0x80};
            expect_ = Expect::FixedFrame;
            break;
        case 22:
            fixed_ = {0xBC, 0x01, 0x02};
            expect_ = Expect::FixedFrame;
            break;
        case 14:
            expect_ = Expect::Block;
            block_ = 0;
            record_.blocks.clear();
            break;
        case 16:
            expect_ = Expect::Security;
            break;
        case 17:
            expect_ = Expect::Checksum;
            break;
        default:
            break;  // 0, 1, 2, 4 and 23 on: nothing comes back
    }
    (void)out;
}

KeypadProcedure::Output KeypadProcedure::OnFrame(const std::vector<std::uint8_t>& frame) {
    Output out;
    out.delayUs = timing_.keypadAnswerUs;
    if (done_ || expect_ == Expect::Nothing) {
        Problem(out, "keypad frame " + FrameText(frame) + " while no request is open");
        return out;
    }
    const std::size_t n = frame.size() >= 2 ? frame[1] : 0;
    switch (expect_) {
        case Expect::Table: {
            const auto& table = KeypadTable(tableCode_);
            if (n != 3 || frame.size() != 5) {
                Problem(out, "instruction word " + std::to_string(word_) + " of table " +
                                 std::to_string(tableCode_) + " came as " + FrameText(frame));
            } else {
                KeypadWord w{frame[2], frame[3], frame[4]};
                if (w != table[word_]) {
                    Problem(out, "instruction word " + std::to_string(word_) + " of table " +
                                     std::to_string(tableCode_) + " is " + FrameText(frame));
                }
                record_.tables.back().words.push_back(w);
            }
            if (++word_ < table.size()) {
                out.send.push_back(kAck);
            } else {
                TableDone(out);
            }
            break;
        }
        case Expect::FixedFrame:
            if (frame != fixed_) {
                Problem(out, "request " + std::to_string(request_) + " answered " +
                                 FrameText(frame) + ", expected " + FrameText(fixed_));
            }
            Advance(out);
            break;
        case Expect::Block: {
            std::array<std::uint8_t, 64> data{};
            if (n != 64 || frame.size() != 66) {
                Problem(out, "flash block " + std::to_string(block_) + " came as " +
                                 FrameText(frame) + " (" + std::to_string(frame.size()) +
                                 " bytes)");
            }
            std::copy_n(frame.begin() + std::min<std::size_t>(2, frame.size()),
                        std::min<std::size_t>(64, frame.size() > 2 ? frame.size() - 2 : 0),
                        data.begin());
            record_.blocks.push_back(data);
            const bool last = block_ == kBlocks - 1;
            if (shortSequence_ && last) {
                expect_ = Expect::Nothing;
                Advance(out);
                break;
            }
            out.send.push_back(kAck);
            expect_ = Expect::Table;
            tableCode_ = shortSequence_ ? 6 : 5;
            word_ = 0;
            tableAfterBlock_ = true;
            record_.tables.push_back({tableCode_, {}});
            break;
        }
        case Expect::Security:
            if (n != 64 || frame.size() != 66) {
                Problem(out, "security record came as " + FrameText(frame));
            }
            record_.security.assign(frame.begin() + std::min<std::size_t>(2, frame.size()),
                                    frame.end());
            Advance(out);
            break;
        case Expect::Checksum:
            if (n != 2 || frame.size() != 4) {
                Problem(out, "checksum record came as " + FrameText(frame));
            }
            record_.checksum.assign(frame.begin() + std::min<std::size_t>(2, frame.size()),
                                    frame.end());
            Advance(out);
            break;
        case Expect::Nothing:
            break;
    }
    return out;
}

void KeypadProcedure::TableDone(Output& out) {
    if (!tableAfterBlock_) {
        Advance(out);
        return;
    }
    if (block_ == kBlocks - 1) {
        // The last block's table: the request is served, the next one follows.
        Advance(out);
        return;
    }
    ++block_;
    expect_ = Expect::Block;
    out.send.push_back(14);
}

KeypadProcedure::Output KeypadProcedure::Abandon() {
    Output out;
    out.delayUs = 0;
    out.send.push_back(21);
    record_.requestsSent.push_back(21);
    record_.endCode = 21;
    done_ = out.done = true;
    expect_ = Expect::Nothing;
    return out;
}

}  // namespace kell::sim
