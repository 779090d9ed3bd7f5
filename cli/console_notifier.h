#pragma once

#include "cli/console_pump.h"
#include "cli/console_view.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"
#include "platform/notifier.h"

namespace kell::cli {

// Beeps and message boxes as text on standard error. An OK/Cancel box is a question, of the kind
// the core announced (the time question): it goes to the question desk and waits for the
// answer while the pump runs.
class ConsoleNotifier : public Notifier {
  public:
    // ringBell: standard error is a terminal, so a beep also rings its bell.
    ConsoleNotifier(ConsoleView& view, QuestionDesk& desk, ConsolePump& pump, SessionRecord& record,
                    bool ringBell);

    void Beep(int frequencyHz, int durationMs) override;
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override;

  private:
    static constexpr std::uint32_t kAnswerWaitMs = 100;

    ConsoleView& view_;
    QuestionDesk& desk_;
    ConsolePump& pump_;
    SessionRecord& record_;
    bool ringBell_;
};

}  // namespace kell::cli
