#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/gui/gui_world.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

class AttentionPanelTest : public GuiTest {
  protected:
    // Asks on the panel; while the model waits, `answer` runs on the shown panel.
    int Ask(const std::function<void()>& answer) {
        QTimer::singleShot(0, [answer] { answer(); });
        return world.model->ShowAttention("AVISO", "first line", "second line", "third line", "Yes",
                                          "No");
    }

    GuiWorld world;
};

TEST_F(AttentionPanelTest, ShowsTheQuestionWhileWaitingAndOkAnswersOne) {
    auto* panel = world.Find("Panel_atencion");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());

    bool shownWhileWaiting = false;
    const int reply = Ask([&] {
        shownWhileWaiting = panel->isVisible();
        EXPECT_EQ(world.Find<QLabel>("Label_atencion")->text(), "AVISO");
        EXPECT_EQ(world.Find<QLabel>("Label_atencion_linea1")->text(), "first line");
        EXPECT_EQ(world.Find<QLabel>("Label_atencion_linea2")->text(), "second line");
        EXPECT_EQ(world.Find<QLabel>("Label_atencion_linea3")->text(), "third line");
        EXPECT_EQ(world.Find<QPushButton>("Button_atencion_ok")->text(), "Yes");
        EXPECT_EQ(world.Find<QPushButton>("Button_atencion_cancel")->text(), "No");
        QTest::mouseClick(world.Find<QPushButton>("Button_atencion_ok"), Qt::LeftButton);
    });

    EXPECT_TRUE(shownWhileWaiting);
    EXPECT_EQ(reply, 1);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(AttentionPanelTest, CancelAnswersMinusOneAndHidesThePanel) {
    const int reply = Ask([&] {
        QTest::mouseClick(world.Find<QPushButton>("Button_atencion_cancel"), Qt::LeftButton);
    });
    EXPECT_EQ(reply, -1);
    EXPECT_FALSE(world.Find("Panel_atencion")->isVisible());
}

TEST_F(AttentionPanelTest, ClosingTheWindowDoesNotAnswerThePanel) {
    // A refused close (a session runs) leaves the question open; the user still answers it.
    WindowArrangement::State(*world.model).sessionRunning = true;
    const int reply = Ask([&] {
        EXPECT_FALSE(world.window->close());
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(world.Find("Panel_atencion")->isVisible());
            QTest::mouseClick(world.Find<QPushButton>("Button_atencion_ok"), Qt::LeftButton);
        });
    });
    EXPECT_EQ(reply, 1);
    EXPECT_FALSE(world.model->State().exitRequested);
}

TEST_F(AttentionPanelTest, TheThirdLineIsBoldAndTheLinesAreCentred) {
    auto* first = world.Find<QLabel>("Label_atencion_linea1");
    auto* third = world.Find<QLabel>("Label_atencion_linea3");
    EXPECT_FALSE(first->font().bold());
    EXPECT_TRUE(third->font().bold());
    EXPECT_EQ(first->font().pixelSize(), 16);
    EXPECT_EQ(first->width(), 569);
    EXPECT_TRUE(first->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(world.Find("Button_atencion_ok")->geometry(), QRect(184, 200, 75, 41));
    EXPECT_EQ(world.Find("Button_atencion_cancel")->geometry(), QRect(320, 200, 75, 41));
}

}  // namespace
}  // namespace kell::testing
