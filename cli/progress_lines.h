#pragma once

#include <ostream>
#include <string>

#include "app/session_events.h"

namespace kell::cli {

// How far one instrument's session has come, as the program that started it sees it.
struct InstrumentProgress {
    std::string model;  // empty until identification knows it
    int step = 0;       // from 1; 0 before the first step
    int steps = 0;
    std::string component;  // the step's component
    int percent = -1;       // of the overall bar; -1 while no bar is shown
    int secondsLeft = -1;

    bool operator==(const InstrumentProgress&) const = default;
};

// A session run for a parent program (--progress-lines) tells it what happens in lines of its
// own on standard error, one per change: "@model Orvo", "@step 3 7 firmware",
// "@progress 42 310" (percent of the overall bar, seconds left). Every event also goes on to the
// console's own listener.
class ProgressLineWriter : public SessionEvents {
  public:
    ProgressLineWriter(SessionEvents& inner, std::ostream& out) : inner_(inner), out_(out) {}

    void QuestionAsked(const AskedQuestion& question) override { inner_.QuestionAsked(question); }
    void QuestionAnswered(QuestionKind kind, bool ok) override {
        inner_.QuestionAnswered(kind, ok);
    }
    void StepStarted(StepComponent component, int index, int total) override;
    void StepEnded(StepComponent component, bool succeeded, int resultCode) override {
        inner_.StepEnded(component, succeeded, resultCode);
    }
    void InfoLinesChanged(const InfoLines& lines) override { inner_.InfoLinesChanged(lines); }
    void ProgressChanged(const SessionProgress& progress) override;
    void InstrumentIdentified(InstrumentModel model) override;
    void SearchEnded(SearchEnd why) override { inner_.SearchEnded(why); }
    void UpdateRefused(Refusal why) override { inner_.UpdateRefused(why); }
    void SessionEnded(SessionEnd how, int resultCode) override {
        inner_.SessionEnded(how, resultCode);
    }
    void VersionCheckStarted() override { inner_.VersionCheckStarted(); }
    void VersionsChecked(const VersionCheck& check) override { inner_.VersionsChecked(check); }

  private:
    void Line(const std::string& text);

    SessionEvents& inner_;
    std::ostream& out_;
    InstrumentProgress sent_;
};

// Takes one line of such a stream into `progress`; false (and `progress` untouched) for any
// other line, or one whose numbers are out of range.
bool ReadProgressLine(const std::string& line, InstrumentProgress& progress);

}  // namespace kell::cli
