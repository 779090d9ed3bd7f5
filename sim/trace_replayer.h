#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/line_device.h"
#include "platform/scheduler.h"
#include "trace/trace_event.h"

namespace kell::sim {

// The first place where the program did not do what the recording has it do.
struct ReplayMismatch {
    int event = 0;                         // from 1, in the order of the trace's events
    int line = 0;                          // in the trace file
    std::size_t offset = 0;                // within the recorded write
    std::optional<std::uint8_t> expected;  // empty: the recording has no more bytes to the meter
    std::uint8_t sent = 0;
    // In a compact trace: the bytes the write stands for by their CRC-32 differ, from `offset`
    // on (`expected` and `sent` say nothing then).
    bool inLeftOutBytes = false;
};

// The meter of a recorded session, played back from its trace as the far end of a line. It
// expects the program's writes to be the recorded ones byte for byte and stops at the first
// that is not, silent from then on as a meter that no longer understands; it sends the recorded
// answers at the recorded delays (divided by `speed`), each measured from the program's write,
// open or the answer before it that it followed in the recording, so that a slower or faster
// line shifts the answers with it and an answer never comes before its question. A recorded
// answer is the bytes the program read, at the time it read them; the replay sends them a wire
// time earlier, so that they arrive then; reads that followed each other within a millisecond are
// one answer and go out together.
//
// Opens and closes: where the far end sees them (the virtual line), the replay waits for the
// program's to come where the recording has them. Opens the recording saw fail make the device
// leave the bus until the recorded open that succeeded (its reconnection). A device that failed
// in the recording (line status "device", a failed write: the cable pulled) is unplugged as soon
// as the replay reaches that event, that is right after the meter's last recorded answer or the
// program's last write before it: the program only noticed the dead line when it next looked,
// which its own deadlines decide, so the line may have died any time after that last sign of
// life. Settings carry the line speed to the device's side; RTS changes, purges and the other
// line errors are only read.
//
// Fillers: a one-byte write the recording repeats with nothing between (the program sending a
// byte until the meter answers or its time runs out) is matched as a run whose length follows
// the clock, not the program's bytes: the program may send that byte fewer times than recorded
// (the next write must then match), or more, as long as the meter has not answered since.
// Repeats: a write the recording has the program send again with only the meter's answer
// between may be left out, the program going on to the next write (see PassOverRepeat).
class TraceReplayer : public LineDevice {
  public:
    struct Options {
        double speed = 1.0;     // 10: every recorded delay a tenth as long
        bool seesOpens = true;  // false on a pseudo-terminal, where opens are not seen
        // A trace cut short ends where the line went dead (the cable pulled, the program
        // killed): the device is unplugged after its last event.
        bool unplugAtEnd = false;
    };

    TraceReplayer(Clock& clock, Scheduler& scheduler, DevicePort& port,
                  std::vector<trace::TraceEvent> events, Options options);
    ~TraceReplayer() override;
    TraceReplayer(const TraceReplayer&) = delete;
    TraceReplayer& operator=(const TraceReplayer&) = delete;

    // LineDevice
    void OnByteFromHost(std::uint8_t byte) override;
    void OnHostOpened() override;
    void OnHostClosed() override;

    // Every event of the recording happened, and every write matched.
    bool Done() const;
    const std::optional<ReplayMismatch>& Mismatch() const { return mismatch_; }
    // Events the replay has passed, out of all.
    std::size_t EventsPassed() const { return cursor_; }
    std::size_t EventCount() const { return events_.size(); }
    // One line: how far the replay got, and the mismatch when there is one.
    std::string Summary() const;

  private:
    using Kind = trace::TraceEvent::Kind;

    void Advance();
    // Runs `action` at the replay's time for recorded time `us`, then goes on.
    void At(std::int64_t us, std::int64_t earlierByUs, void (TraceReplayer::*action)());
    std::int64_t ReplayTimeOf(std::int64_t recordedUs) const;
    std::int64_t WireUs(std::size_t bytes) const;
    void SendAnswer();
    // The program did something the far end does not see (a purge, a setting, RTS, an open on
    // a pseudo-terminal): it is taken to have done it at the recording's pace from the last
    // anchor, since the program's own pauses do not shorten with `speed`, and later answers are
    // measured from it. An answer that followed the program's purge in the recording then
    // follows it in a faster replay too, instead of coming before it and being purged.
    void AnchorOnProgram(std::int64_t recordedUs);
    void LeaveBus();
    void ComeBack();
    void Stop(ReplayMismatch mismatch);
    std::size_t NextWrite(std::size_t from) const;
    bool IsFiller(std::size_t event) const;
    bool TakeAsFiller(std::uint8_t byte);
    bool PassOverRepeat(std::uint8_t byte);

    Clock& clock_;
    Scheduler& scheduler_;
    DevicePort& port_;
    std::vector<trace::TraceEvent> events_;
    Options options_;

    std::size_t cursor_ = 0;  // the next event of the recording to happen
    std::optional<Scheduler::EventId> timer_;
    // The recorded time and the replay's time of the last event both have seen.
    std::int64_t anchorRecordedUs_ = 0;
    std::int64_t anchorReplayUs_ = 0;
    // The program's bytes are matched in their own stream, ahead of the answers if need be.
    std::size_t writeEvent_ = 0;
    std::size_t writeOffset_ = 0;
    std::uint32_t leftOutCrc_ = 0;            // of the bytes received for the write's left-out part
    std::vector<std::int64_t> writeStartUs_;  // replay time of each write's first byte; -1: not yet
    std::vector<bool> written_;
    std::vector<bool> passedOver_;  // a repeat the program did not need, with its answer
    // Bytes the recording sends as fillers: one-byte writes repeated with nothing between.
    std::vector<bool> fillerByte_ = std::vector<bool>(256, false);
    // The last write the program completed was this filler, and the meter has not answered since.
    std::optional<std::uint8_t> unansweredFiller_;
    int opensSeen_ = 0;
    int closesSeen_ = 0;
    std::int64_t lastOpenUs_ = 0;
    std::int64_t lastFailedOpenUs_ = 0;
    bool absent_ = false;
    std::optional<ReplayMismatch> mismatch_;
};

}  // namespace kell::sim
