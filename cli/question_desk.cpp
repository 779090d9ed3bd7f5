#include "cli/question_desk.h"

namespace kell::cli {
namespace {

ConsoleView::Channel ChannelOf(Question question) {
    // The time question is a message box; the others belong to the window.
    return question == Question::Time ? ConsoleView::Channel::Messages
                                      : ConsoleView::Channel::Screen;
}

std::string Shown(const QuestionDesk::Asked& asked) {
    std::string shown;
    if (asked.textOnScreen)
        return shown;
    if (!asked.header.empty())
        shown += "== " + asked.header + " ==\n";
    shown += asked.text;
    if (!shown.empty() && shown.back() == '\n')
        shown.pop_back();
    return shown;
}

bool Stops(Question question) {
    return question == Question::Time || question == Question::Erase ||
           question == Question::RePress;
}

}  // namespace

QuestionDesk::QuestionDesk(const AnswerOptions& answers, LineReader* input, ConsoleView& view,
                           SessionRecord& record, std::function<bool()> interrupted)
    : answers_(answers),
      input_(input),
      view_(view),
      record_(record),
      interrupted_(std::move(interrupted)) {}

std::optional<Question> QuestionDesk::Current() const {
    if (!current_)
        return std::nullopt;
    return current_->question;
}

void QuestionDesk::Begin(Asked asked) {
    current_ = std::move(asked);
    const Decision decision = DecideAnswer(answers_, current_->question, input_ != nullptr);
    decided_ = decision.ok;
    decidedBy_ = decision.source;
    if (interrupted_ && interrupted_()) {
        decided_ = false;
        decidedBy_ = AnswerSource::Interrupt;
    }
    if (!decided_) {
        input_->Discard();
        prompted_ = true;
        Prompt();
        return;
    }
    const std::string& caption = *decided_ ? current_->okCaption : current_->cancelCaption;
    std::string shown = Shown(*current_);
    if (!shown.empty())
        shown += "\n";
    view_.Say(shown + "-> " + caption + " (" + AnswerSourceName(decidedBy_) + ")",
              ChannelOf(current_->question));
}

void QuestionDesk::Prompt() {
    const Asked& asked = *current_;
    std::string prompt = Shown(asked);
    if (!prompt.empty())
        prompt += "\n";
    if (asked.question == Question::RePress)
        prompt += view_.Words().CLI_REPRESS_PROMPT;
    else
        prompt += view_.Words().CLI_ANSWER + " 1 (" + asked.okCaption + ") " +
                  view_.Words().CLI_OR + " 2 (" + asked.cancelCaption + "): ";
    view_.Prompt(prompt, ChannelOf(asked.question));
}

std::optional<bool> QuestionDesk::Poll() {
    if (!current_)
        return std::nullopt;
    if (decided_)
        return Answer(*decided_, decidedBy_, false);
    if (interrupted_ && interrupted_())
        return Answer(false, AnswerSource::Interrupt, false);
    input_->Poll();
    while (std::optional<std::string> line = input_->TakeLine()) {
        if (current_->question == Question::RePress) {
            const std::optional<bool> typed = ReadTypedAnswer(*line, "", "");
            if (line->find_first_not_of(" \t\r") == std::string::npos || typed == true)
                return Answer(true, AnswerSource::User, true);
            if (typed == false)
                return Answer(false, AnswerSource::User, true);
        } else if (const std::optional<bool> typed =
                       ReadTypedAnswer(*line, current_->okCaption, current_->cancelCaption)) {
            return Answer(*typed, AnswerSource::User, true);
        }
        view_.EndPrompt(true);
        Prompt();
    }
    if (input_->AtEnd())
        return Answer(DefaultAnswer(current_->question), AnswerSource::EndOfInput, false);
    return std::nullopt;
}

std::optional<bool> QuestionDesk::Answer(bool ok, AnswerSource source, bool typed) {
    if (prompted_) {
        view_.EndPrompt(typed);
        if (source != AnswerSource::User)
            view_.Say("-> " + (ok ? current_->okCaption : current_->cancelCaption) + " (" +
                          AnswerSourceName(source) + ")",
                      ChannelOf(current_->question));
    }
    if (!ok && Stops(current_->question))
        stoppedByAnswer_ = true;
    record_.AddQuestion(
        {QuestionName(current_->question), current_->text, ok, AnswerSourceName(source)});
    Abandon();
    return ok;
}

void QuestionDesk::Abandon() {
    if (prompted_)
        view_.EndPrompt(false);
    prompted_ = false;
    current_.reset();
    decided_.reset();
}

}  // namespace kell::cli
