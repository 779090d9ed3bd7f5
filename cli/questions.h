#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/session_events.h"
#include "cli/options.h"

namespace kell::cli {

// The questions a session asks. The time question is the OK/Cancel message box; the plan and
// erase questions are the attention panel; the re-press is the wait for the search button after
// the meter was asked to restart.
enum class Question { Time, Plans, Erase, RePress, Other };

// "time", "plans", "erase", "repress", "other": the names --answer and the JSON use.
const char* QuestionName(Question question);

// The question the core says it asks, by its kind.
Question FromKind(QuestionKind kind);

// Where an answer came from.
enum class AnswerSource { Yes, AnswerOption, Default, User, Interrupt, EndOfInput };
const char* AnswerSourceName(AnswerSource source);

struct Decision {
    std::optional<bool> ok;  // true OK, false Cancel; empty: ask the user
    AnswerSource source = AnswerSource::Default;
};

// How a question is answered before anyone is asked: --answer for the question it names, then
// --yes, then the user when one can be asked; else the default, which keeps the meter's data:
// Cancel for the questions that destroy data (plans, erase) and for a question this program
// does not know, OK for the time question. Without --yes the re-press is not made for the
// user who cannot be asked: the session is stopped instead, as the texts ask for an action on
// the meter itself.
Decision DecideAnswer(const AnswerOptions& answers, Question question, bool canAsk);
// The default alone (for a user who closed the input).
bool DefaultAnswer(Question question);

// A typed answer: "1", "ok", "y", "yes" or the OK button's caption mean OK; "2", "cancel",
// "c", "n", "no" or the Cancel caption mean Cancel (case does not matter). Empty otherwise.
std::optional<bool> ReadTypedAnswer(std::string_view line, std::string_view okCaption,
                                    std::string_view cancelCaption);

}  // namespace kell::cli
