#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <stdexcept>

#include "gui/about_dialog.h"
#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using HandlersTest = GuiTest;

TEST_F(HandlersTest, AboutShowsTheAboutBoxModally) {
    GuiWorld world;
    QSize shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        shown = modal->size();
        EXPECT_EQ(modal->windowTitle(), "About");
        modal->close();
    });
    world.Find<QAction>("About1")->trigger();
    EXPECT_EQ(shown, QSize(AboutDialog::kWidth, AboutDialog::kHeight));
}

TEST_F(HandlersTest, AHandlerThatFailsIsReportedAndTheWindowGoesOn) {
    GuiWorld world;
    world.model->controls.Label_info1.caption = "changed before the failure";
    world.window->Run([] { throw std::runtime_error("handler failed"); });
    ASSERT_EQ(world.notifier.messages.size(), 1u);
    EXPECT_EQ(world.notifier.messages[0].text, "handler failed");
    EXPECT_EQ(world.Find<QLabel>("Label_info1")->text(), "changed before the failure");
    EXPECT_TRUE(world.window->isVisible());
}

TEST_F(HandlersTest, TheWatchTimerRunsOnlyWhileTheModelEnablesIt) {
    GuiWorld world;
    auto* timer = world.Find<QObject>("Timer_desconexion");
    EXPECT_FALSE(timer->property("active").toBool());
    world.model->controls.Timer_desconexion.enabled = true;
    world.guiPump.PumpOnce();
    EXPECT_TRUE(timer->property("active").toBool());
    EXPECT_EQ(timer->property("interval").toInt(), 100);
    world.model->controls.Timer_desconexion.enabled = false;
    world.guiPump.PumpOnce();
    EXPECT_FALSE(timer->property("active").toBool());
}

}  // namespace
}  // namespace kell::testing
