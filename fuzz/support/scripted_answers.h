#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace kell::fuzz {

// The far end of a virtual line that plays a fuzz input back as the instrument's answers.
// The input is a list of answers, each two header bytes and then its bytes:
//   header 0  bit 7: the answer follows the previous one at once, unasked; clear, it waits
//                    for the PC's next request (bytes from the PC, then two byte times of
//                    quiet).
//             bit 6: the bytes go at another speed than the PC listens at (line errors).
//             bit 5: after the bytes the instrument takes nothing more from the PC (its output
//                    queue fills) until its next answer, which then has to be unasked.
//             bits 0-4: the delay before the first byte: 0-7 ms, then 0.1 s steps up to
//                    1.6 s, then 2 s steps up to 16 s.
//   header 1  how many bytes follow (fewer when the input ends first).
// Once every answer is played the instrument is silent.
//
// It also bounds the PC: once the instrument has been silent for the bound given to
// ExpectDoneWithin, the exchange under test must have returned; otherwise the process aborts,
// so that a hang shows up as a crash with the input that caused it.
class ScriptedAnswers : public LineDevice {
  public:
    ScriptedAnswers(VirtualClock& clock, VirtualLine& line, std::span<const std::uint8_t> script);
    ~ScriptedAnswers() override;
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

    // Starts playing: answers marked as unasked at the start go out now.
    void Start();

    // From now on, `what` must return within boundSeconds of the instrument's last byte (or of
    // now, when it sends none). Done() ends the watch.
    void ExpectDoneWithin(std::int64_t boundSeconds, const char* what);
    void Done();

    // Requests are seen on the line itself, whatever speed the PC sends them at.
    void OnByteFromHost(std::uint8_t) override {}

    std::size_t AnswersPlayed() const { return next_; }
    std::size_t AnswerCount() const { return answers_.size(); }

  private:
    struct Answer {
        bool unasked = false;
        bool wrongSpeed = false;
        bool stall = false;
        std::int64_t delayUs = 0;
        std::span<const std::uint8_t> bytes;
    };

    void HeardByte();
    void RequestEnded();
    void PlayNext();
    void Send(const Answer& answer);
    void ArmWatch();
    [[noreturn]] void Overrun() const;

    VirtualClock& clock_;
    VirtualLine& line_;
    std::vector<Answer> answers_;
    std::size_t next_ = 0;
    std::size_t pendingRequests_ = 0;
    bool playing_ = false;
    std::int64_t lastByteUs_ = 0;  // when the instrument's last byte reaches the PC
    Scheduler::EventId requestEnd_ = 0;
    Scheduler::EventId answerEvent_ = 0;
    Scheduler::EventId watch_ = 0;
    std::int64_t boundUs_ = 0;
    const char* what_ = nullptr;
};

}  // namespace kell::fuzz
