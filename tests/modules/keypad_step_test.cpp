#include <gtest/gtest.h>

#include "modules/keypad_step.h"
#include "tests/modules/keypad_rig.h"

namespace kell::testing {
namespace {

const KeypadImage& Image() {
    static const KeypadImage image = MakeKeypadImage(3);
    return image;
}

TEST(KeypadStep, ProgramsAndResetsTheStepBar) {
    KeypadRig rig;
    rig.overallPosition = 60;
    rig.script.Request(14).Request(16).Request(17).Request(18);

    RunKeypadStep(rig.session, Image().Span());

    EXPECT_TRUE(rig.instrument.PlanDone());
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
    EXPECT_EQ(rig.Barra_progreso.position, 0);
    EXPECT_EQ(rig.ProgressBar_general.position, 255 * 180 / 256 + 60);
    EXPECT_EQ(rig.overallPosition, 60);  // the sequence adds the step's share afterwards
    EXPECT_EQ(rig.resultCode, 0);
}

TEST(KeypadStep, ConnectsFirstWhenTheLinkIsDown) {
    KeypadRig rig;
    rig.connected = false;
    int connects = 0;
    rig.session.Boton_ConectarClick = [&] {
        ++connects;
        rig.connected = true;
    };
    rig.script.Request(18);

    RunKeypadStep(rig.session, Image().Span());

    EXPECT_EQ(connects, 1);
    EXPECT_EQ(rig.instrument.heard, Bytes{0xBB});
    EXPECT_TRUE(rig.instrument.PlanDone());
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
}

TEST(KeypadStep, GivesUpQuietlyWhenItCannotConnect) {
    for (bool withHook : {false, true}) {
        SCOPED_TRACE(withHook ? "connect fails" : "no connect handler");
        KeypadRig rig;
        rig.connected = false;
        rig.Barra_progreso.SetPosition(7);
        int connects = 0;
        if (withHook)
            rig.session.Boton_ConectarClick = [&] { ++connects; };

        RunKeypadStep(rig.session, Image().Span());

        EXPECT_EQ(connects, withHook ? 1 : 0);
        EXPECT_TRUE(rig.instrument.heard.empty());
        EXPECT_TRUE(rig.Timer_desconexion.enabled);
        EXPECT_EQ(rig.Barra_progreso.position, 7);
        EXPECT_EQ(rig.resultCode, 0);
        EXPECT_TRUE(rig.notifier.messages.empty());
    }
}

TEST(KeypadStep, SilentInstrumentFailsWithCode1AfterAMinute) {
    KeypadRig rig;
    rig.overallPosition = 60;
    rig.ProgressBar_general.SetPosition(60);
    rig.Barra_progreso.SetPosition(30);
    const std::int64_t start = rig.clock.NowUs();

    RunKeypadStep(rig.session, Image().Span());

    EXPECT_GE(rig.clock.NowUs() - start, 60'000'000);
    EXPECT_LT(rig.clock.NowUs() - start, 60'100'000);
    EXPECT_EQ(rig.resultCode, 1);
    EXPECT_FALSE(rig.stopSession);
    EXPECT_EQ(rig.Barra_progreso.position, 0);
    EXPECT_EQ(rig.ProgressBar_general.position, 60);
    EXPECT_FALSE(rig.Timer_desconexion.enabled);
    EXPECT_TRUE(rig.notifier.messages.empty());
}

}  // namespace
}  // namespace kell::testing
