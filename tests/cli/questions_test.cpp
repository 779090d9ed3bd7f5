#include "cli/questions.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

TEST(QuestionAnswers, AnswerOptionThenYesThenTheUserThenTheSafeDefault) {
    const AnswerOptions none;
    const AnswerOptions yes = Answers("", true);
    const AnswerOptions named = Answers("time=cancel,erase=cancel", true);
    struct Case {
        const AnswerOptions* answers;
        Question question;
        bool canAsk;
        std::optional<bool> ok;
        AnswerSource source;
    };
    const Case cases[] = {
        {&named, Question::Erase, true, false, AnswerSource::AnswerOption},
        {&named, Question::Time, false, false, AnswerSource::AnswerOption},
        {&named, Question::Plans, false, true, AnswerSource::Yes},
        {&yes, Question::RePress, false, true, AnswerSource::Yes},
        {&yes, Question::Other, true, true, AnswerSource::Yes},
        {&none, Question::Erase, true, std::nullopt, AnswerSource::User},
        {&none, Question::Time, false, true, AnswerSource::Default},
        {&none, Question::Plans, false, false, AnswerSource::Default},
        {&none, Question::Erase, false, false, AnswerSource::Default},
        {&none, Question::RePress, false, false, AnswerSource::Default},
        {&none, Question::Other, false, false, AnswerSource::Default},
    };
    for (const Case& c : cases) {
        const Decision d = DecideAnswer(*c.answers, c.question, c.canAsk);
        EXPECT_EQ(d.ok, c.ok) << QuestionName(c.question);
        EXPECT_EQ(d.source, c.source) << QuestionName(c.question);
    }
}

TEST(QuestionAnswers, TypedAnswers) {
    EXPECT_EQ(ReadTypedAnswer(" 1 ", "Sí", "No"), true);
    EXPECT_EQ(ReadTypedAnswer("sí", "Sí", "No"), true);
    EXPECT_EQ(ReadTypedAnswer("Sí", "Sí", "No"), true);
    EXPECT_EQ(ReadTypedAnswer("NO", "Sí", "No"), false);
    EXPECT_EQ(ReadTypedAnswer("2", "OK", "CANCEL"), false);
    EXPECT_EQ(ReadTypedAnswer("cancel", "OK", "CANCEL"), false);
    EXPECT_EQ(ReadTypedAnswer("y", "OK", "CANCEL"), true);
    EXPECT_EQ(ReadTypedAnswer("", "OK", "CANCEL"), std::nullopt);
    EXPECT_EQ(ReadTypedAnswer("3", "OK", "CANCEL"), std::nullopt);
    // A caption that reads like the other button's word is that button.
    EXPECT_EQ(ReadTypedAnswer("ok", "Cancel", "OK"), false);
}

}  // namespace
}  // namespace kell::testing
