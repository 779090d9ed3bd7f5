#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/version_check.h"
#include "link/module_versions.h"
#include "platform/clock.h"

namespace kell {
class Tventana_brisca;
}

namespace kell::cli {

// The components of an update in the order the session runs them, by their plan marks.
struct PlanMarks {
    bool keypad = false;    // "Teclado"
    bool erase = false;     // "Borrar"
    bool plans = false;     // "Planes"
    bool zone = false;      // "Zona"
    bool fpga = false;      // "Fpga"
    bool firmware = false;  // "Medidor"
    bool module = false;    // "Mpeg4_apl"

    static PlanMarks Of(const Tventana_brisca& window);
};

// What identification found on the instrument before the update.
struct VersionsBefore {
    std::string firmware;
    int plansType = 0;
    int plansStoredVersion = 0;
    ModuleVersions module;
};

struct StepRecord {
    int index = 0;
    int total = 0;
    std::string component;  // empty when the step could not be named
    double seconds = 0;
};

struct QuestionRecord {
    std::string question;  // QuestionName
    std::string text;
    bool ok = false;
    std::string source;  // AnswerSourceName
};

// How the search and the session that followed it ended, as the core told it.
enum class Ending { None, NotFound, NotUpdated, Updated, Failed, Cancelled, EraseRefused };

// What a session showed and did, for the JSON report: every set of info lines in turn, the
// message boxes, the questions with their answers, the steps with their durations (measured
// from the start of one step to the start of the next), the plan, what the instrument held
// before and reports after, and how it all ended.
class SessionRecord {
  public:
    explicit SessionRecord(Clock& clock) : clock_(clock) {}

    // Called at every pump: notes whether a session runs, its plan and what the meter held.
    void Observe(const Tventana_brisca& window);
    // The window's info lines changed (as the core reported them).
    void InfoLinesShown(const std::array<std::string, 3>& lines);
    // A step of the sequence starts (as the core tells it).
    void StepStarted(const std::string& component, int index, int total);
    // The search or the session ended so; a later search's end replaces it.
    void End(Ending ending) { ending_ = ending; }
    // After the session: closes the last step, and takes the plan and the versions from the
    // window if no session ran to show them.
    void Finish(const Tventana_brisca& window);

    void AddMessage(std::string text) { messages_.push_back(std::move(text)); }
    void AddBeep() { ++beeps_; }
    void AddQuestion(QuestionRecord question) { questions_.push_back(std::move(question)); }
    // What the meter reported when asked again after the update (as the core told it).
    void Checked(VersionCheck check) { after_ = std::move(check); }

    const std::vector<std::array<std::string, 3>>& Texts() const { return texts_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    int Beeps() const { return beeps_; }
    const std::vector<QuestionRecord>& Questions() const { return questions_; }
    const std::vector<StepRecord>& Steps() const { return steps_; }
    const std::optional<PlanMarks>& Plan() const { return plan_; }
    const std::optional<VersionsBefore>& Before() const { return before_; }
    const std::optional<VersionCheck>& After() const { return after_; }
    bool SessionSeen() const { return sessionSeen_; }
    Ending HowItEnded() const { return ending_; }

  private:
    void CloseStep();
    void TakeBefore(const Tventana_brisca& window);

    Clock& clock_;
    std::vector<std::array<std::string, 3>> texts_;
    std::vector<std::string> messages_;
    int beeps_ = 0;
    std::vector<QuestionRecord> questions_;
    std::vector<StepRecord> steps_;
    std::optional<std::int64_t> stepStartUs_;
    Ending ending_ = Ending::None;
    std::optional<PlanMarks> plan_;
    std::optional<VersionsBefore> before_;
    std::optional<VersionCheck> after_;
    bool sessionSeen_ = false;
};

}  // namespace kell::cli
