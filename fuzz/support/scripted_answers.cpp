#include "fuzz/support/scripted_answers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kell::fuzz {

namespace {

constexpr std::uint8_t kUnasked = 0x80;
constexpr std::uint8_t kWrongSpeed = 0x40;
constexpr std::uint8_t kStall = 0x20;
constexpr std::uint8_t kDelayBits = 0x1F;
// Requests that pile up beyond this are dropped: the PC cannot be owed more answers than the
// input holds anyway.
constexpr std::size_t kMaxPendingRequests = 1 << 16;

std::int64_t DelayUs(std::uint8_t code) {
    if (code < 8)
        return code * 1'000LL;
    if (code < 24)
        return (code - 7) * 100'000LL;
    return (code - 23) * 2'000'000LL;
}

std::uint32_t OtherSpeed(std::uint32_t speed) {
    return speed == 115200 ? 57600 : 115200;
}

}  // namespace

ScriptedAnswers::ScriptedAnswers(VirtualClock& clock, VirtualLine& line,
                                 std::span<const std::uint8_t> script)
    : clock_(clock), line_(line), lastByteUs_(clock.NowUs()) {
    std::size_t at = 0;
    while (at + 2 <= script.size()) {
        Answer answer;
        answer.unasked = (script[at] & kUnasked) != 0;
        answer.wrongSpeed = (script[at] & kWrongSpeed) != 0;
        answer.stall = (script[at] & kStall) != 0;
        answer.delayUs = DelayUs(script[at] & kDelayBits);
        const std::size_t count = std::min<std::size_t>(script[at + 1], script.size() - at - 2);
        answer.bytes = script.subspan(at + 2, count);
        answers_.push_back(answer);
        at += 2 + count;
    }
    line_.Attach(this);
    line_.SetTap([this](VirtualLine::Direction direction, std::int64_t, std::uint8_t) {
        if (direction == VirtualLine::Direction::ToDevice)
            HeardByte();
    });
}

ScriptedAnswers::~ScriptedAnswers() {
    line_.SetTap(nullptr);
    line_.Attach(nullptr);
    for (Scheduler::EventId id : {requestEnd_, answerEvent_, watch_})
        clock_.Cancel(id);
}

void ScriptedAnswers::Start() {
    PlayNext();
}

void ScriptedAnswers::ExpectDoneWithin(std::int64_t boundSeconds, const char* what) {
    boundUs_ = boundSeconds * 1'000'000;
    what_ = what;
    lastByteUs_ = std::max(lastByteUs_, clock_.NowUs());
    ArmWatch();
}

void ScriptedAnswers::Done() {
    clock_.Cancel(watch_);
    what_ = nullptr;
}

void ScriptedAnswers::HeardByte() {
    // A request ends when the PC has been quiet for two byte times.
    clock_.Cancel(requestEnd_);
    requestEnd_ = clock_.After(2 * ByteTimeUs(line_.HostBaud()), [this] { RequestEnded(); });
}

void ScriptedAnswers::RequestEnded() {
    if (pendingRequests_ < kMaxPendingRequests)
        ++pendingRequests_;
    PlayNext();
}

void ScriptedAnswers::PlayNext() {
    if (playing_ || next_ >= answers_.size())
        return;
    const Answer& answer = answers_[next_];
    if (!answer.unasked) {
        if (pendingRequests_ == 0)
            return;
        --pendingRequests_;
    }
    ++next_;
    playing_ = true;
    answerEvent_ = clock_.After(answer.delayUs, [this, answer] { Send(answer); });
}

void ScriptedAnswers::Send(const Answer& answer) {
    const std::uint32_t speed = line_.HostBaud();
    const std::uint32_t sentAt = answer.wrongSpeed ? OtherSpeed(speed) : speed;
    line_.SetDeviceBaud(sentAt);
    line_.SendToHost(answer.bytes.data(), answer.bytes.size());
    line_.SetDeviceBaud(speed);
    line_.SetAcceptingInput(!answer.stall);
    const std::int64_t end =
        clock_.NowUs() + static_cast<std::int64_t>(answer.bytes.size()) * ByteTimeUs(sentAt);
    if (!answer.bytes.empty()) {
        lastByteUs_ = std::max(lastByteUs_, end);
        ArmWatch();
    }
    answerEvent_ = clock_.At(end, [this] {
        playing_ = false;
        PlayNext();
    });
}

void ScriptedAnswers::ArmWatch() {
    if (!what_)
        return;
    clock_.Cancel(watch_);
    watch_ = clock_.At(lastByteUs_ + boundUs_, [this] { Overrun(); });
}

void ScriptedAnswers::Overrun() const {
    std::fprintf(stderr,
                 "%s was still busy %lld s after the instrument fell silent (%zu of %zu answers "
                 "played)\n",
                 what_, static_cast<long long>(boundUs_ / 1'000'000), next_, answers_.size());
    std::abort();
}

}  // namespace kell::fuzz
