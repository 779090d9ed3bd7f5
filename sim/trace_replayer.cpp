#include "sim/trace_replayer.h"

#include <algorithm>
#include <cstdio>

#include "trace/compact_trace.h"

namespace kell::sim {
namespace {

// Bits a byte takes on the wire: start bit, 8 data bits, two stop bits.
constexpr std::int64_t kBitsPerByte = 11;
// Reads of the program closer together than this took bytes of one answer of the meter.
constexpr std::int64_t kOneAnswerGapUs = 1000;

std::string Hex(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

}  // namespace

TraceReplayer::TraceReplayer(Clock& clock, Scheduler& scheduler, DevicePort& port,
                             std::vector<trace::TraceEvent> events, Options options)
    : clock_(clock),
      scheduler_(scheduler),
      port_(port),
      events_(std::move(events)),
      options_(options),
      writeStartUs_(events_.size(), -1),
      written_(events_.size(), false),
      passedOver_(events_.size(), false) {
    if (!(options_.speed > 0))
        options_.speed = 1.0;
    anchorRecordedUs_ = events_.empty() ? 0 : events_.front().us;
    anchorReplayUs_ = clock_.MonotonicUs();
    for (std::size_t i = 0; i + 1 < events_.size(); ++i) {
        const trace::TraceEvent& e = events_[i];
        const trace::TraceEvent& next = events_[i + 1];
        if (e.kind == Kind::Write && next.kind == Kind::Write && !e.failed && !next.failed &&
            e.elided == 0 && next.elided == 0 && e.bytes.size() == 1 && e.bytes == next.bytes)
            fillerByte_[e.bytes[0]] = true;
    }
    writeEvent_ = NextWrite(0);
    Advance();
}

TraceReplayer::~TraceReplayer() {
    if (timer_)
        scheduler_.Cancel(*timer_);
}

std::size_t TraceReplayer::NextWrite(std::size_t from) const {
    while (from < events_.size() && (events_[from].kind != Kind::Write || events_[from].failed))
        ++from;
    return from;
}

bool TraceReplayer::IsFiller(std::size_t event) const {
    const trace::TraceEvent& e = events_[event];
    return e.kind == Kind::Write && !e.failed && e.elided == 0 && e.bytes.size() == 1 &&
           fillerByte_[e.bytes[0]];
}

// A byte the program sends between writes that only the run length of its fillers explains:
// one filler more than recorded, or the first byte after fewer. True when it was taken so.
bool TraceReplayer::TakeAsFiller(std::uint8_t byte) {
    const bool expected = writeEvent_ < events_.size();
    if (unansweredFiller_ == byte && !(expected && events_[writeEvent_].bytes.size() == 1 &&
                                       events_[writeEvent_].bytes[0] == byte))
        return true;
    if (!expected || !IsFiller(writeEvent_) || events_[writeEvent_].bytes[0] == byte)
        return false;
    // Fewer fillers than recorded: the rest of the run is passed over, if the write after it
    // is what the program sends now.
    const std::uint8_t filler = events_[writeEvent_].bytes[0];
    std::size_t after = writeEvent_;
    while (after < events_.size() && IsFiller(after) && events_[after].bytes[0] == filler)
        ++after;
    if (after == events_.size() || events_[after].kind != Kind::Write || events_[after].failed ||
        events_[after].bytes.empty() || events_[after].bytes[0] != byte)
        return false;
    for (std::size_t i = writeEvent_; i < after; ++i) {
        written_[i] = true;
        writeStartUs_[i] = clock_.MonotonicUs();
    }
    writeEvent_ = after;
    return false;
}

bool TraceReplayer::Done() const {
    return !mismatch_ && cursor_ == events_.size();
}

std::int64_t TraceReplayer::WireUs(std::size_t bytes) const {
    const std::uint32_t baud = port_.DeviceBaud();
    return baud == 0 ? 0 : static_cast<std::int64_t>(bytes) * kBitsPerByte * 1'000'000 / baud;
}

std::int64_t TraceReplayer::ReplayTimeOf(std::int64_t recordedUs) const {
    const auto delay = static_cast<std::int64_t>(
        static_cast<double>(std::max<std::int64_t>(0, recordedUs - anchorRecordedUs_)) /
        options_.speed);
    return anchorReplayUs_ + delay;
}

void TraceReplayer::At(std::int64_t us, std::int64_t earlierByUs, void (TraceReplayer::*action)()) {
    const std::int64_t now = clock_.MonotonicUs();
    const std::int64_t when = std::max(now, ReplayTimeOf(us) - earlierByUs);
    timer_ = scheduler_.After(when - now, [this, action] {
        timer_.reset();
        (this->*action)();
        ++cursor_;
        Advance();
    });
}

void TraceReplayer::Advance() {
    while (!mismatch_ && !timer_ && cursor_ < events_.size()) {
        const trace::TraceEvent& e = events_[cursor_];
        switch (e.kind) {
            case Kind::Write:
                if (passedOver_[cursor_])
                    break;
                if (e.failed) {
                    if (!absent_)
                        LeaveBus();
                    break;
                }
                if (!written_[cursor_]) {
                    if (absent_)  // it went nowhere in the recording either
                        break;
                    return;
                }
                anchorRecordedUs_ = e.us;
                anchorReplayUs_ = writeStartUs_[cursor_] - WireUs(1);
                break;
            case Kind::Read:
                if (!absent_ && !passedOver_[cursor_])
                    return At(e.us, WireUs(e.bytes.size()), &TraceReplayer::SendAnswer);
                break;
            case Kind::Open:
                if (e.result == OpenResult::NotFound || e.result == OpenResult::Failed) {
                    // Off the bus from here, so that the program's attempts fail as they did.
                    lastFailedOpenUs_ = e.us;
                    if (options_.seesOpens && !absent_)
                        LeaveBus();
                    break;
                }
                if (e.result != OpenResult::Ok || !options_.seesOpens) {
                    AnchorOnProgram(e.us);
                    break;
                }
                if (absent_)  // back on the bus just after the last attempt that failed
                    return At(std::min(e.us, lastFailedOpenUs_ + 1), 0, &TraceReplayer::ComeBack);
                if (opensSeen_ == 0)
                    return;
                --opensSeen_;
                anchorRecordedUs_ = e.us;
                anchorReplayUs_ = lastOpenUs_;
                break;
            case Kind::Close:
                if (!options_.seesOpens)
                    AnchorOnProgram(e.us);
                if (!options_.seesOpens || absent_)
                    break;
                if (closesSeen_ == 0)
                    return;
                --closesSeen_;
                break;
            case Kind::Settings:
                if (!e.refused)
                    port_.SetDeviceBaud(e.settings.baudRate);
                AnchorOnProgram(e.us);
                break;
            case Kind::LineStatus:
                if ((e.unreadable || (e.errors & kLineErrorDevice)) && !absent_)
                    LeaveBus();
                break;
            case Kind::Rts:
            case Kind::Purge:
                AnchorOnProgram(e.us);
                break;
            case Kind::Answer:
            case Kind::Outcome:
                break;
        }
        ++cursor_;
    }
    if (cursor_ == events_.size() && options_.unplugAtEnd && !absent_ && !mismatch_)
        LeaveBus();
}

void TraceReplayer::AnchorOnProgram(std::int64_t recordedUs) {
    anchorReplayUs_ += std::max<std::int64_t>(0, recordedUs - anchorRecordedUs_);
    anchorRecordedUs_ = std::max(anchorRecordedUs_, recordedUs);
}

void TraceReplayer::SendAnswer() {
    // Reads that followed each other closely are one answer of the meter that the program took
    // a few bytes at a time: it goes out whole, as the meter sent it. Sent a read at a time, a
    // real-time replay would stretch it by a timer tick per read and split it where the
    // meter did not.
    std::vector<std::uint8_t> burst = events_[cursor_].bytes;
    while (cursor_ + 1 < events_.size() && events_[cursor_ + 1].kind == Kind::Read &&
           events_[cursor_ + 1].us - events_[cursor_].us < kOneAnswerGapUs) {
        ++cursor_;
        burst.insert(burst.end(), events_[cursor_].bytes.begin(), events_[cursor_].bytes.end());
    }
    port_.SendToHost(burst.data(), burst.size());
    unansweredFiller_.reset();
    anchorRecordedUs_ = events_[cursor_].us;
    anchorReplayUs_ = clock_.MonotonicUs() + WireUs(burst.size());
}

void TraceReplayer::LeaveBus() {
    absent_ = true;
    opensSeen_ = closesSeen_ = 0;
    port_.Unplug();
}

void TraceReplayer::ComeBack() {
    absent_ = false;
    port_.Replug();
    // The open that follows is this same event: stay on it.
    --cursor_;
}

void TraceReplayer::OnByteFromHost(std::uint8_t byte) {
    if (mismatch_)
        return;
    if (writeEvent_ >= events_.size() && absent_)
        return;
    if (writeOffset_ == 0 && TakeAsFiller(byte))
        return;
    if (writeEvent_ >= events_.size())
        return Stop({static_cast<int>(events_.size()) + 1, 0, 0, std::nullopt, byte});
    const trace::TraceEvent& e = events_[writeEvent_];
    const int number = static_cast<int>(writeEvent_) + 1;
    if (writeOffset_ < e.bytes.size()) {
        if (e.bytes[writeOffset_] != byte) {
            if (PassOverRepeat(byte))
                return OnByteFromHost(byte);
            return Stop({number, e.line, writeOffset_, e.bytes[writeOffset_], byte});
        }
    } else {
        leftOutCrc_ = trace::Crc32({&byte, 1}, leftOutCrc_);
    }
    if (writeOffset_ == 0)
        writeStartUs_[writeEvent_] = clock_.MonotonicUs();
    if (++writeOffset_ < e.bytes.size() + e.elided)
        return;
    if (e.elided > 0 && leftOutCrc_ != e.elidedCrc32)
        return Stop({number, e.line, e.bytes.size(), std::nullopt, 0, true});
    leftOutCrc_ = 0;
    unansweredFiller_.reset();
    if (IsFiller(writeEvent_))
        unansweredFiller_ = e.bytes[0];
    written_[writeEvent_] = true;
    writeOffset_ = 0;
    writeEvent_ = NextWrite(writeEvent_ + 1);
    Advance();
}

// The recording has the program send a write again with only the meter's answer between: its
// own clock judged that answer late (a whole-second deadline whose second ticked over, a slow
// machine). Where the replay answered in time the program goes straight on to the write after
// it, and the repeat with its answer is passed over. True when `byte`, after the bytes of the
// repeat matched so far, begins that next write instead.
bool TraceReplayer::PassOverRepeat(std::uint8_t byte) {
    const trace::TraceEvent& repeat = events_[writeEvent_];
    std::size_t before = writeEvent_;
    while (before > 0 && events_[before - 1].kind == Kind::Read)
        --before;
    if (before == 0 || events_[before - 1].kind != Kind::Write)
        return false;
    const trace::TraceEvent& first = events_[before - 1];
    if (first.failed || first.bytes != repeat.bytes || first.elided != repeat.elided ||
        first.elidedCrc32 != repeat.elidedCrc32)
        return false;
    std::size_t next = writeEvent_ + 1;
    while (next < events_.size() && events_[next].kind == Kind::Read)
        ++next;
    if (next == events_.size() || events_[next].kind != Kind::Write || events_[next].failed)
        return false;
    const std::vector<std::uint8_t>& sent = events_[next].bytes;
    if (sent.size() <= writeOffset_ || sent[writeOffset_] != byte ||
        !std::equal(repeat.bytes.begin(), repeat.bytes.begin() + writeOffset_, sent.begin()))
        return false;
    const std::int64_t startUs = writeOffset_ == 0 ? -1 : writeStartUs_[writeEvent_];
    for (std::size_t i = writeEvent_; i < next; ++i) {
        passedOver_[i] = true;
        written_[i] = true;
        writeStartUs_[i] = clock_.MonotonicUs();
    }
    writeEvent_ = next;
    // The bytes matched so far are the next write's; the caller goes on from this one.
    writeStartUs_[next] = startUs;
    return true;
}

void TraceReplayer::OnHostOpened() {
    ++opensSeen_;
    lastOpenUs_ = clock_.MonotonicUs();
    Advance();
}

void TraceReplayer::OnHostClosed() {
    if (absent_)
        return;
    ++closesSeen_;
    Advance();
}

void TraceReplayer::Stop(ReplayMismatch mismatch) {
    mismatch_ = mismatch;
    if (timer_)
        scheduler_.Cancel(*timer_);
    timer_.reset();
}

std::string TraceReplayer::Summary() const {
    if (mismatch_) {
        const ReplayMismatch& m = *mismatch_;
        if (m.inLeftOutBytes)
            return "event " + std::to_string(m.event) + " (line " + std::to_string(m.line) +
                   "): the write's bytes from " + std::to_string(m.offset) +
                   " on differ from the recorded ones (their CRC-32)";
        if (!m.expected)
            return "the program sent " + Hex(m.sent) +
                   " after the last byte the recording has it send";
        return "event " + std::to_string(m.event) + " (line " + std::to_string(m.line) +
               "), byte " + std::to_string(m.offset) + " of the write: the recording has " +
               Hex(*m.expected) + ", the program sent " + Hex(m.sent);
    }
    std::string text =
        "replayed " + std::to_string(cursor_) + " of " + std::to_string(events_.size()) + " events";
    if (cursor_ < events_.size())
        text += "; waiting for event " + std::to_string(cursor_ + 1) + " (line " +
                std::to_string(events_[cursor_].line) + ")";
    return text;
}

}  // namespace kell::sim
