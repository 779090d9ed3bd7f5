#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "link/deadline.h"
#include "link/link_context.h"

namespace kell {

// How a wait spends the time between two polls of the line.
struct Pace {
    enum class Between { Pump, Sleep, Nothing };
    Between between = Between::Pump;
    std::uint32_t sleepMs = 0;
    // Also ends the wait, as stopped, when the session's stop flag is seen between two polls.
    bool watchStop = false;

    // Keeps the window alive: pending window messages are handled between polls.
    static constexpr Pace Pumping() { return {Between::Pump, 0, false}; }
    static constexpr Pace PumpingWatchingStop() { return {Between::Pump, 0, true}; }
    // Sleeps between polls, for the queries that must not let window events run.
    static constexpr Pace Sleeping(std::uint32_t ms) { return {Between::Sleep, ms, false}; }
    // Polls back to back; the channel's read itself waits a few milliseconds.
    static constexpr Pace BackToBack() { return {Between::Nothing, 0, false}; }
};

enum class WaitEnd { Arrived, TimedOut, Stopped };

struct PolledByte {
    WaitEnd end = WaitEnd::TimedOut;
    // The byte, or 0 when nothing arrived (what the channel's read leaves in its destination).
    std::uint8_t value = 0;
    // Whole seconds of the deadline that had passed when the wait ended; callers that accept a
    // byte only while "at most N seconds had passed" judge by this.
    std::int64_t elapsed = 0;

    bool Arrived() const { return end == WaitEnd::Arrived; }
    bool Is(std::uint8_t byte) const { return Arrived() && value == byte; }
};

// One poll: a read of one byte, which waits a few milliseconds at most.
std::optional<std::uint8_t> PollByte(LinkContext& link);

// Polls until a byte arrives or the deadline has passed. The line is always polled at least
// once, so a byte that is already there is taken even from an expired deadline.
PolledByte WaitForByte(LinkContext& link, const Deadline& deadline, Pace pace);

// As WaitForByte, discarding every byte that `accepted` refuses, against the same deadline.
PolledByte WaitForByteThat(LinkContext& link, const Deadline& deadline,
                           bool (*accepted)(std::uint8_t), Pace pace);

// As WaitForByte, discarding every other byte until `wanted` arrives.
PolledByte WaitForThisByte(LinkContext& link, const Deadline& deadline, std::uint8_t wanted,
                           Pace pace);

// As WaitForByte, for the answer to a frame just written: a byte read while the frame is still
// being sent cannot answer it, as the instrument has not had all of it. It is a late answer to
// an earlier frame or noise, and is passed over, so that it cannot count as this frame's.
PolledByte WaitForAnswer(LinkContext& link, const Deadline& deadline, Pace pace);

// Reads and drops bytes until a poll brings none: what the instrument still sends after a
// command whose answer is not used. Bounded, so a line that never falls quiet cannot hold it.
void DiscardUntilQuiet(LinkContext& link);

// Writes a request with one write; the channel's result (count, 0 when closed, -1 on failure).
int SendBytes(LinkContext& link, std::span<const std::uint8_t> bytes);

}  // namespace kell
