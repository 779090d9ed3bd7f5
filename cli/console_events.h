#pragma once

#include <functional>

#include "app/session_events.h"
#include "cli/console_view.h"
#include "cli/question_desk.h"
#include "cli/screen_state.h"
#include "cli/session_record.h"

namespace kell::cli {

// The core's account of the session, as the console takes it: each question goes to the desk
// by its kind before its box, panel or wait opens; what the window shows is drawn on the view;
// the lines shown, the steps and the way the search or the session ended go to the record, and
// so does what the meter reports when asked again after the update. With a view, the wait for
// that check and (with listVersions) its result are printed.
class ConsoleEvents : public SessionEvents {
  public:
    ConsoleEvents(QuestionDesk& desk, SessionRecord& record, ConsoleView* view = nullptr,
                  bool listVersions = true)
        : desk_(desk), record_(record), view_(view), listVersions_(listVersions) {}

    // Told each answer to a question of the session, after the desk settled it (the trace
    // writes it down).
    void OnAnswered(std::function<void(QuestionKind, bool)> answered) {
        answered_ = std::move(answered);
    }

    void QuestionAsked(const AskedQuestion& question) override;
    void QuestionAnswered(QuestionKind kind, bool ok) override;
    void StepStarted(StepComponent component, int index, int total) override;
    void InfoLinesChanged(const InfoLines& lines) override;
    void ProgressChanged(const SessionProgress& progress) override;
    void SearchEnded(SearchEnd why) override;
    void UpdateRefused(Refusal why) override;
    void SessionEnded(SessionEnd how, int resultCode) override;
    void VersionCheckStarted() override;
    void VersionsChecked(const VersionCheck& check) override;

  private:
    QuestionDesk& desk_;
    SessionRecord& record_;
    ConsoleView* view_;
    bool listVersions_;
    std::function<void(QuestionKind, bool)> answered_;
    ScreenState screen_;
};

}  // namespace kell::cli
