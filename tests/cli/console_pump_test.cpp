#include "cli/console_pump.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

int AskErase(Tventana_brisca& w) {
    const LocalisedTexts& t = w.texts;
    return w.Ask(QuestionKind::Erase, t.AVISOMEM1, t.AVISOMEM2, t.AVISOMEM3, "OK", "CANCEL");
}

int AskPlans(Tventana_brisca& w) {
    const LocalisedTexts& t = w.texts;
    return w.Ask(QuestionKind::Plans, t.AVISOPLAN1, t.AVISOPLAN2, t.AVISOPLAN3, t.AVISOSI,
                 t.AVISONO);
}

// The zone step's wait for the search button, as the core announces it.
void WaitForTheButton(CliRig& rig) {
    WindowArrangement::State(rig.w()).sessionRunning = true;
    WindowArrangement::State(rig.w()).stage = 2;
    rig.w().controls.Button_buscar_puerto.visible = true;
    rig.events.QuestionAsked({QuestionKind::RePress, "", "Restart the meter", "press", "stop"});
}

TEST(ConsolePumpQuestions, OptionsAndDefaultsAnswerThePanelWithoutAPrompt) {
    {
        CliRig rig(Answers("erase=cancel"));
        EXPECT_EQ(AskErase(rig.w()), -1);
        EXPECT_TRUE(rig.desk.StoppedByAnswer());
        ASSERT_EQ(rig.record.Questions().size(), 1u);
        EXPECT_EQ(rig.record.Questions()[0].question, "erase");
        EXPECT_EQ(rig.record.Questions()[0].source, "--answer");
        const LocalisedTexts& t = rig.w().texts;
        EXPECT_EQ(rig.record.Questions()[0].text,
                  t.AVISOMEM1 + "\n" + t.AVISOMEM2 + "\n" + t.AVISOMEM3);
        EXPECT_NE(rig.screen.str().find(rig.w().texts.AVISOMEM1), std::string::npos);
    }
    {
        CliRig rig(Answers("erase=cancel", true));
        EXPECT_EQ(AskPlans(rig.w()), 1);  // --yes covers what --answer leaves out
        EXPECT_EQ(AskErase(rig.w()), -1);
    }
    {
        CliRig rig;  // nobody to ask: the questions that destroy data are refused
        EXPECT_EQ(AskPlans(rig.w()), -1);
        EXPECT_EQ(AskErase(rig.w()), -1);
        EXPECT_FALSE(rig.w().controls.Panel_atencion.visible);
    }
}

TEST(ConsolePumpQuestions, TheUserAnswersAtTheTerminal) {
    CliRig rig({}, true);
    rig.Type("1\n");  // typed ahead: must not answer a question asked later
    bool typed = false;
    rig.pump.onPump = [&] {
        if (rig.desk.Pending() && !typed) {
            rig.Type("perhaps\n2\n");
            typed = true;
        }
    };
    EXPECT_EQ(AskErase(rig.w()), -1);
    const std::string screen = rig.screen.str();
    const std::string prompt = "Answer 1 (OK) or 2 (CANCEL): ";
    const auto first = screen.find(prompt);
    ASSERT_NE(first, std::string::npos) << screen;
    EXPECT_NE(screen.find(prompt, first + 1), std::string::npos) << "asked again after 'perhaps'";
    EXPECT_EQ(rig.record.Questions().back().source, "user");

    // The button's own caption answers too.
    typed = false;
    rig.pump.onPump = [&] {
        if (rig.desk.Pending() && !typed) {
            rig.Type("yes\n");
            typed = true;
        }
    };
    EXPECT_EQ(AskPlans(rig.w()), 1);
}

TEST(ConsolePumpQuestions, ClosedInputGetsTheDefaultAnswer) {
    CliRig rig({}, true);
    rig.CloseTyping();
    EXPECT_EQ(AskPlans(rig.w()), -1);
    EXPECT_EQ(rig.record.Questions().back().source, "end of input");
    EXPECT_TRUE(rig.w().AskTime("About 16 min."));
}

TEST(ConsolePumpQuestions, TheTimeQuestionIsTheOkCancelBoxTheCoreAnnounces) {
    CliRig rig(Answers("time=cancel"));
    // The lines the window shows by then come before the question.
    rig.w().controls.Label_info1.caption = "Updating the meter.";
    EXPECT_FALSE(rig.w().AskTime("The update takes about 16 min."));
    EXPECT_TRUE(rig.desk.StoppedByAnswer());
    EXPECT_NE(rig.messages.str().find("16 min."), std::string::npos);
    EXPECT_NE(rig.screen.str().find("Updating the meter."), std::string::npos);
    EXPECT_EQ(rig.record.Questions().back().question, "time");
    EXPECT_TRUE(rig.record.Messages().empty()) << "a question, not a message";
    // A plain message box only informs.
    EXPECT_EQ(rig.consoleNotifier.MessageBox("USB error", "Update", MessageButtons::Ok),
              MessageAnswer::Ok);
    EXPECT_NE(rig.messages.str().find("[Update] USB error"), std::string::npos);
    EXPECT_EQ(rig.record.Messages(), std::vector<std::string>{"USB error"});
}

TEST(ConsolePumpRePress, YesPressesTheButton) {
    CliRig rig(Answers("", true));
    WaitForTheButton(rig);
    rig.consolePump.PumpOnce();
    EXPECT_TRUE(rig.w().State().rePressed);
    EXPECT_FALSE(rig.w().State().stopSession || rig.w().State().exitRequested);
}

TEST(ConsolePumpRePress, WithNobodyToActOnTheMeterTheSessionStops) {
    CliRig rig;
    WaitForTheButton(rig);
    rig.consolePump.PumpOnce();
    // Pressed so that the wait ends, but as a leave: the reconnection gives up at once.
    EXPECT_TRUE(rig.w().State().rePressed);
    EXPECT_TRUE(rig.w().State().stopSession && rig.w().State().exitRequested);
    EXPECT_TRUE(rig.desk.StoppedByAnswer());
}

TEST(ConsolePumpRePress, EnterPressesTheButton) {
    CliRig rig({}, true);
    WaitForTheButton(rig);
    rig.consolePump.PumpOnce();
    EXPECT_FALSE(rig.w().State().rePressed);
    EXPECT_NE(rig.screen.str().find("Press Enter"), std::string::npos);
    rig.Type("\n");
    rig.consolePump.PumpOnce();
    EXPECT_TRUE(rig.w().State().rePressed);
    EXPECT_FALSE(rig.w().State().stopSession);
}

TEST(ConsolePumpInterrupt, StopsTheSessionAndKeepsItStopped) {
    CliRig rig;
    WindowArrangement::State(rig.w()).sessionRunning = true;
    rig.interrupts = 1;
    rig.consolePump.PumpOnce();
    EXPECT_TRUE(rig.w().State().stopSession);
    EXPECT_FALSE(rig.w().State().exitRequested) << "a running session ends through its own end";
    EXPECT_TRUE(rig.consolePump.Interrupted());
    rig.w().Session().stopSession = false;  // as a step that records a success would
    rig.consolePump.PumpOnce();
    EXPECT_TRUE(rig.w().State().stopSession);
    EXPECT_NE(rig.messages.str().find("Ctrl-C again"), std::string::npos);
}

TEST(ConsolePumpInterrupt, OutsideTheSessionTheSearchGivesUpAndQuestionsAreRefused) {
    CliRig rig(Answers("", true));
    rig.interrupts = 1;
    EXPECT_EQ(AskPlans(rig.w()), -1);
    EXPECT_TRUE(rig.w().State().exitRequested);
    EXPECT_EQ(rig.record.Questions().back().source, "interrupt");
}

TEST(ConsolePumpWatch, TheMeterLeavingTheLinkEndsIt) {
    CliRig rig;
    Tventana_brisca& w = rig.w();
    ASSERT_TRUE(w.monitorPSerie.Configure(1, w.Connection().PortSettings));
    w.Session().connected = true;
    w.controls.Timer_desconexion.enabled = true;
    const std::uint8_t leave = 0x0A;
    rig.line.SendToHost(&leave, 1);
    for (int i = 0; i < 50 && w.Connection().connected; ++i)
        rig.consolePump.WaitForEvent(100);
    EXPECT_FALSE(w.Connection().connected);
    ASSERT_FALSE(rig.device.received.empty());
    EXPECT_EQ(rig.device.received.back(), 0x0A);  // answered with the end of the link
}

TEST(ConsolePumpRendering, EveryChangeOfTheInfoLinesIsShownAndRecorded) {
    CliRig rig;
    // The window's own pump: the core reports what the window shows before each pass.
    EventPump& windowPump = rig.w().seams.pump;
    windowPump.PumpOnce();
    rig.w().Button_buscar_puertoClick();  // arms: numbered instructions
    windowPump.PumpOnce();
    const std::string screen = rig.screen.str();
    EXPECT_NE(screen.find("Welcome"), std::string::npos);
    EXPECT_NE(screen.find("1. " + rig.w().texts.PASO2_L1), std::string::npos);
    EXPECT_EQ(rig.record.Texts().size(), 2u);
}

}  // namespace
}  // namespace kell::testing
