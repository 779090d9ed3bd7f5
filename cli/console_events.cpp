#include "cli/console_events.h"

namespace kell::cli {
namespace {

void PrintChecks(ConsoleView& view, const VersionCheck& check) {
    if (!check.answered) {
        view.Say(
            "The meter did not come back after its restart, so its versions could not be "
            "checked: the update is unverified. Restart the meter by hand and run the program "
            "again to check it.");
        return;
    }
    std::string text = "The meter now reports:";
    for (const ComponentCheck& c : check.checks) {
        std::string name = c.component;
        name.resize(10, ' ');
        text += "\n  " + name + c.reported + (c.current ? "  (current)" : "  (not current)") +
                (c.planned ? "" : "  (not updated)");
    }
    view.Say(text);
}

}  // namespace

void ConsoleEvents::QuestionAsked(const AskedQuestion& question) {
    desk_.Announce(question.kind);
}

void ConsoleEvents::QuestionAnswered(QuestionKind kind, bool ok) {
    desk_.Settle();
    if (answered_)
        answered_(kind, ok);
}

void ConsoleEvents::StepStarted(StepComponent component, int index, int total) {
    record_.StepStarted(StepComponentName(component), index, total);
}

void ConsoleEvents::InfoLinesChanged(const InfoLines& lines) {
    screen_.lines = lines.lines;
    screen_.numbered = lines.numbered;
    record_.InfoLinesShown(lines.lines);
    if (view_)
        view_->Show(screen_);
}

void ConsoleEvents::ProgressChanged(const SessionProgress& progress) {
    screen_.barsShown = progress.shown;
    screen_.overallLabel = progress.overallLabel;
    screen_.overall = progress.overall;
    screen_.step = progress.step;
    if (view_)
        view_->Show(screen_);
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

void ConsoleEvents::VersionCheckStarted() {
    if (view_)
        view_->Say(
            "Waiting for the meter to restart, then asking it for the versions it now holds...");
}

void ConsoleEvents::VersionsChecked(const VersionCheck& check) {
    record_.Checked(check);
    if (view_ && listVersions_)
        PrintChecks(*view_, check);
}

}  // namespace kell::cli
