#include "cli/questions.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

namespace kell::cli {
namespace {

TEST(QuestionAnswers, AnswerOptionThenYesThenTheUserThenTheSafeDefault) {
    const AnswerOptions none;
    const AnswerOptions yes = testing::Answers("", true);
    const AnswerOptions named = testing::Answers("time=cancel,erase=cancel", true);
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

TEST(QuestionAnswers, ThePanelTellsItsQuestionByItsTexts) {
    testing::CliRig rig;
    Tventana_brisca& w = rig.w();
    const LocalisedTexts& t = w.texts;
    auto show = [&](const std::string& l1, const std::string& l2, const std::string& l3,
                    const std::string& ok, const std::string& cancel) {
        w.Label_atencion_linea1.caption = l1;
        w.Label_atencion_linea2.caption = l2;
        w.Label_atencion_linea3.caption = l3;
        w.Button_atencion_ok.caption = ok;
        w.Button_atencion_cancel.caption = cancel;
        return IdentifyAttention(w);
    };
    EXPECT_EQ(show(t.AVISOMEM1, t.AVISOMEM2, t.AVISOMEM3, "OK", "CANCEL"), Question::Erase);
    EXPECT_EQ(show(t.AVISOPLAN1, t.AVISOPLAN2, t.AVISOPLAN3, t.AVISOSI, t.AVISONO),
              Question::Plans);
    EXPECT_EQ(show(t.AVISOPLAN1, t.AVISOPLAN2, "something else", t.AVISOSI, t.AVISONO),
              Question::Other);
    // Without a language file every line is empty: the buttons still tell them apart.
    w.texts = LocalisedTexts{};
    EXPECT_EQ(show("", "", "", "OK", "CANCEL"), Question::Erase);
    EXPECT_EQ(show("", "", "", "", ""), Question::Plans);
}

}  // namespace
}  // namespace kell::cli
