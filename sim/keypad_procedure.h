#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/keypad_tables.h"
#include "sim/scenario.h"

namespace kell::sim {

// What the keypad procedure received from the PC, for tests to compare with the keypad image.
struct KeypadRecord {
    struct Table {
        std::uint8_t request;
        std::vector<KeypadWord> words;
    };
    std::vector<std::uint8_t> requestsSent;
    std::vector<std::array<std::uint8_t, 64>> blocks;  // in the order received (256 in a run)
    std::vector<std::uint8_t> security;                // 64 bytes
    std::vector<std::uint8_t> checksum;                // 2 bytes
    std::vector<Table> tables;                         // every instruction table, in order
    int endCode = -1;                                  // the end code sent, -1 before
};

// The instrument's side of the keypad programming: it drives, the PC serves. The instrument
// sends its request codes in turn; for each it takes the frames (0xBC, n, n bytes) the request
// asks for and acknowledges as the PC expects: one byte after every instruction word but the
// last of a table; after a flash block one byte before the table that follows it; and the
// request code 14 after each block's table except the last block's. A pure state machine: the
// instrument sends what it returns, at the times it chooses.
class KeypadProcedure {
  public:
    struct Output {
        std::vector<std::uint8_t> send;  // bytes for the PC, in order
        std::int64_t delayUs = 0;        // how long before they go out
        bool done = false;               // the procedure has ended (the instrument restarts)
        std::vector<std::string> problems;
    };

    static constexpr int kBlocks = 256;
    static constexpr std::uint8_t kAck = 0x00;  // not examined by the PC; a no-op request code

    KeypadProcedure(std::vector<std::uint8_t> requests, const Timing& timing);

    // Right after 0xBB: the first request code(s).
    Output Start();
    Output OnFrame(const std::vector<std::uint8_t>& frame);
    // The PC stopped answering: the procedure gives up with the silent failure code.
    Output Abandon();

    const KeypadRecord& Record() const { return record_; }
    bool Done() const { return done_; }

  private:
    enum class Expect { Nothing, Table, FixedFrame, Block, Security, Checksum };

    // Sends request codes until one that expects frames from the PC, or an end code.
    void Advance(Output& out);
    void Expecting(Output& out, std::uint8_t code);
    void TableDone(Output& out);
    void Problem(Output& out, std::string text) { out.problems.push_back(std::move(text)); }

    std::vector<std::uint8_t> requests_;
    Timing timing_;
    std::size_t next_ = 0;
    bool done_ = false;
    bool shortSequence_ = false;

    Expect expect_ = Expect::Nothing;
    std::uint8_t request_ = 0;         // the request being served
    std::uint8_t tableCode_ = 0;       // the table being received
    std::size_t word_ = 0;             // words of it received
    bool tableAfterBlock_ = false;     // the table follows a flash block
    int block_ = 0;                    // flash blocks received in this request 14
    std::vector<std::uint8_t> fixed_;  // the frame a fixed-answer request expects

    KeypadRecord record_;
};

}  // namespace kell::sim
