#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cli/console_view.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"
#include "platform/clock.h"
#include "platform/event_pump.h"

namespace kell {
class Tventana_brisca;
}

namespace kell::cli {

// The console's event pump: wraps the toolkit's pump, and at every pass plays the part a
// window plays for the user. It puts the attention panel's question and
// the re-press wait to the question desk and clicks the answer, runs the disconnection watch
// while its timer is on, and turns an interrupt into the session's stop.
class ConsolePump : public EventPump {
  public:
    // interrupts: how many times the user asked to stop so far.
    ConsolePump(EventPump& inner, Clock& clock, ConsoleView& view, QuestionDesk& desk,
                SessionRecord& record, std::function<int()> interrupts);

    // The window to tend; none until it exists (its construction pumps already).
    void Attach(Tventana_brisca* window) { window_ = window; }

    void PumpOnce() override;
    void WaitForEvent(std::uint32_t maxWaitMs) override;
    // Notes what the session did so far, without running anything. (What the window shows
    // reaches the view through the core's events.)
    void Observe();

    // The user asked to stop at least once.
    bool Interrupted() const { return interruptsSeen_ > 0; }

  private:
    void Tend();
    void TakeInterrupts(Tventana_brisca& w);
    void TendAttention(Tventana_brisca& w);
    void TendRePress(Tventana_brisca& w);
    void TendWatch(Tventana_brisca& w);
    std::uint32_t UntilWatchMs(std::uint32_t maxWaitMs);

    EventPump& inner_;
    Clock& clock_;
    ConsoleView& view_;
    QuestionDesk& desk_;
    SessionRecord& record_;
    std::function<int()> interrupts_;
    Tventana_brisca* window_ = nullptr;
    int interruptsSeen_ = 0;
    bool tending_ = false;  // a handler run from here pumps again: it must not start another
    std::optional<std::uint32_t> lastWatchMs_;
};

}  // namespace kell::cli
