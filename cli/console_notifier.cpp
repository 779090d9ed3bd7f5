#include "cli/console_notifier.h"

namespace kell::cli {

ConsoleNotifier::ConsoleNotifier(ConsoleView& view, QuestionDesk& desk, ConsolePump& pump,
                                 SessionRecord& record, bool ringBell)
    : view_(view), desk_(desk), pump_(pump), record_(record), ringBell_(ringBell) {}

void ConsoleNotifier::Beep(int frequencyHz, int durationMs) {
    record_.AddBeep();
    view_.Say(std::string(ringBell_ ? "\a" : "") + "(beep " + std::to_string(frequencyHz) +
                  " Hz, " + std::to_string(durationMs) + " ms)",
              ConsoleView::Channel::Messages);
}

MessageAnswer ConsoleNotifier::MessageBox(const std::string& text, const std::string& caption,
                                          MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) {
        record_.AddMessage(text);
        view_.Say((caption.empty() ? std::string() : "[" + caption + "] ") + text,
                  ConsoleView::Channel::Messages);
        return MessageAnswer::Ok;
    }
    // The OK/Cancel box is a question (the core said which): the record keeps it with its
    // answer. One asked while another waits (it cannot happen in a session) would never be
    // answered; it is refused.
    if (desk_.Pending())
        return MessageAnswer::Cancel;
    QuestionDesk::Asked asked;
    asked.question = desk_.Announced();
    asked.header = caption;
    asked.text = text;
    asked.okCaption = "OK";
    asked.cancelCaption = "Cancel";
    desk_.Begin(std::move(asked));
    for (;;) {
        if (const std::optional<bool> ok = desk_.Poll())
            return *ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        pump_.WaitForEvent(kAnswerWaitMs);
    }
}

}  // namespace kell::cli
