#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cli/console_view.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "cli/questions.h"
#include "cli/session_record.h"

namespace kell::cli {

// One question at a time, answered by the options, by the user at the terminal, or by the
// defaults. Begin shows it; Poll, called from the event pump, gives the answer once there is
// one. Nothing here blocks: the session keeps pumping while the user thinks.
class QuestionDesk {
  public:
    struct Asked {
        Question question = Question::Other;
        std::string header;  // the attention panel's header; empty for a message box
        std::string text;    // the lines, one per line
        std::string okCaption;
        std::string cancelCaption;
        // The text is already on the screen (the re-press wait's info lines): the prompt
        // does not repeat it.
        bool textOnScreen = false;
    };

    // input: the terminal to read answers from; null when nobody can be asked.
    // interrupted: whether the user asked the session to stop (a pending question is then
    // answered Cancel).
    QuestionDesk(const AnswerOptions& answers, LineReader* input, ConsoleView& view,
                 SessionRecord& record, std::function<bool()> interrupted);

    // The core says which question it asks next (its panel, message box or wait follows), and
    // when it is over. The console answers a question by this kind, never by its texts.
    void Announce(QuestionKind kind) { announced_ = FromKind(kind); }
    void Settle() { announced_.reset(); }
    // The question the core asks now; Other when a box or panel comes without one.
    Question Announced() const { return announced_.value_or(Question::Other); }
    bool AnnouncedNow() const { return announced_.has_value(); }

    void Begin(Asked asked);
    bool Pending() const { return current_.has_value(); }
    std::optional<Question> Current() const;
    // The answer (true OK) once known; the question is then over.
    std::optional<bool> Poll();
    // Forgets a question that went away unanswered (its panel was closed by the program).
    void Abandon();

    // Whether the user stopped the session with an answer (Cancel to the time or erase
    // question, or no re-press).
    bool StoppedByAnswer() const { return stoppedByAnswer_; }

  private:
    void Prompt();
    std::optional<bool> Answer(bool ok, AnswerSource source, bool typed);

    AnswerOptions answers_;
    LineReader* input_;
    ConsoleView& view_;
    SessionRecord& record_;
    std::function<bool()> interrupted_;
    std::optional<Question> announced_;
    std::optional<Asked> current_;
    std::optional<bool> decided_;
    AnswerSource decidedBy_ = AnswerSource::Default;
    bool prompted_ = false;
    bool stoppedByAnswer_ = false;
};

}  // namespace kell::cli
