#include "cli/questions.h"

#include <algorithm>
#include <cctype>

namespace kell::cli {
namespace {

std::string Folded(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    std::string folded(text.substr(first, last - first + 1));
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

}  // namespace

const char* QuestionName(Question question) {
    switch (question) {
        case Question::Time:
            return "time";
        case Question::Plans:
            return "plans";
        case Question::Erase:
            return "erase";
        case Question::RePress:
            return "repress";
        case Question::Other:
            break;
    }
    return "other";
}

const char* AnswerSourceName(AnswerSource source) {
    switch (source) {
        case AnswerSource::Yes:
            return "--yes";
        case AnswerSource::AnswerOption:
            return "--answer";
        case AnswerSource::User:
            return "user";
        case AnswerSource::Interrupt:
            return "interrupt";
        case AnswerSource::EndOfInput:
            return "end of input";
        case AnswerSource::Default:
            break;
    }
    return "default";
}

Question FromKind(QuestionKind kind) {
    switch (kind) {
        case QuestionKind::Time:
            return Question::Time;
        case QuestionKind::Plans:
            return Question::Plans;
        case QuestionKind::Erase:
            return Question::Erase;
        case QuestionKind::RePress:
            return Question::RePress;
    }
    return Question::Other;
}

bool DefaultAnswer(Question question) {
    return question == Question::Time;
}

Decision DecideAnswer(const AnswerOptions& answers, Question question, bool canAsk) {
    const std::optional<bool>* named = nullptr;
    if (question == Question::Time)
        named = &answers.time;
    else if (question == Question::Plans)
        named = &answers.plans;
    else if (question == Question::Erase)
        named = &answers.erase;
    if (named && named->has_value())
        return {**named, AnswerSource::AnswerOption};
    if (answers.yes)
        return {true, AnswerSource::Yes};
    if (canAsk)
        return {std::nullopt, AnswerSource::User};
    return {DefaultAnswer(question), AnswerSource::Default};
}

std::optional<bool> ReadTypedAnswer(std::string_view line, std::string_view okCaption,
                                    std::string_view cancelCaption) {
    const std::string typed = Folded(line);
    if (typed.empty())
        return std::nullopt;
    const std::string ok = Folded(okCaption);
    const std::string cancel = Folded(cancelCaption);
    // A caption wins over the fixed words, so that a "No" button means No.
    if (!ok.empty() && typed == ok && ok != cancel)
        return true;
    if (!cancel.empty() && typed == cancel && ok != cancel)
        return false;
    for (const char* word : {"1", "ok", "o", "y", "yes"}) {
        if (typed == word)
            return true;
    }
    for (const char* word : {"2", "cancel", "c", "n", "no"}) {
        if (typed == word)
            return false;
    }
    return std::nullopt;
}

}  // namespace kell::cli
