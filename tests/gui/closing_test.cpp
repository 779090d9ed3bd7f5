#include <QAction>
#include <QTest>

#include "tests/gui/gui_world.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using ClosingTest = GuiTest;

TEST_F(ClosingTest, ClosingIsRefusedWhileASessionRuns) {
    GuiWorld world;
    WindowArrangement::State(*world.model).sessionRunning = true;  // as in a session's question
    EXPECT_FALSE(world.window->close());
    EXPECT_TRUE(world.window->isVisible());
    EXPECT_FALSE(world.model->State().exitRequested);
}

TEST_F(ClosingTest, ClosingBetweenSessionsMarksTheExitBeforeTheWindowGoes) {
    GuiWorld world;
    EXPECT_TRUE(world.window->close());
    EXPECT_FALSE(world.window->isVisible());
    EXPECT_TRUE(world.model->State().exitRequested);
    EXPECT_EQ(world.endProcessCalls, 0);
}

TEST_F(ClosingTest, SalirDuringASessionWarnsAndLeavesEverythingRunning) {
    GuiWorld world;
    world.model->texts.AVISOACT = "An update is running.";
    WindowArrangement::State(*world.model).sessionRunning = true;
    world.Find<QAction>("MenuSalir")->trigger();
    ASSERT_EQ(world.notifier.messages.size(), 1u);
    EXPECT_EQ(world.notifier.messages[0].text, "An update is running.");
    EXPECT_EQ(world.endProcessCalls, 0);
    EXPECT_FALSE(world.model->State().exitRequested);

    // The exit button then does nothing either.
    QTest::mouseClick(world.Find("SpeedButton_exit"), Qt::LeftButton);
    EXPECT_EQ(world.endProcessCalls, 0);
    EXPECT_TRUE(world.window->isVisible());
}

TEST_F(ClosingTest, SalirAndTheExitButtonEndTheProgramBetweenSessions) {
    {
        GuiWorld world;
        world.Find<QAction>("MenuSalir")->trigger();
        EXPECT_EQ(world.endProcessCalls, 1);
        EXPECT_EQ(world.endProcessCode, 0);
        EXPECT_TRUE(world.model->State().endProcessRequested);
        EXPECT_TRUE(world.notifier.messages.empty());
    }
    {
        GuiWorld world;
        QTest::mouseClick(world.Find("SpeedButton_exit"), Qt::LeftButton);
        EXPECT_EQ(world.endProcessCalls, 1);
        EXPECT_TRUE(world.model->State().endProcessRequested);
    }
}

}  // namespace
}  // namespace kell::testing
