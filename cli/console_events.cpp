#include "cli/console_events.h"

namespace kell::cli {

void ConsoleEvents::QuestionAsked(const AskedQuestion& question) {
    desk_.Announce(question.kind);
}

void ConsoleEvents::QuestionAnswered(QuestionKind, bool) {
    desk_.Settle();
}

void ConsoleEvents::StepStarted(StepComponent component, int index, int total) {
    record_.StepStarted(StepComponentName(component), index, total);
}

void ConsoleEvents::InfoLinesChanged(const InfoLines& lines) {
    screen_.lines = lines.lines;
    screen_.numbered = lines.numbered;
    record_.InfoLinesShown(lines.lines);
    view_.Show(screen_);
}

void ConsoleEvents::ProgressChanged(const SessionProgress& progress) {
    screen_.barsShown = progress.shown;
    screen_.overallLabel = progress.overallLabel;
    screen_.overall = progress.overall;
    screen_.step = progress.step;
    view_.Show(screen_);
}

void ConsoleEvents::SearchEnded(SearchEnd) {
    record_.End(Ending::NotFound);
}

void ConsoleEvents::UpdateRefused(Refusal) {
    record_.End(Ending::NotUpdated);
}

void ConsoleEvents::SessionEnded(SessionEnd how, int) {
    switch (how) {
        case SessionEnd::Updated:
            record_.End(Ending::Updated);
            return;
        case SessionEnd::Failed:
            record_.End(Ending::Failed);
            return;
        case SessionEnd::Cancelled:
            record_.End(Ending::Cancelled);
            return;
        case SessionEnd::EraseRefused:
            record_.End(Ending::EraseRefused);
            return;
    }
}

}  // namespace kell::cli
