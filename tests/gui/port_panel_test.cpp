#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

class PortPanelTest : public GuiTest {
  protected:
    void Open() {
        world.model->controls.PConfigurarPuerto.visible = true;
        world.guiPump.PumpOnce();
    }
    QRadioButton* Radio(int item) const {
        return world.Find<QRadioButton>(QStringLiteral("COM_%1").arg(item).toLatin1().constData());
    }
    QComboBox* Combo() const { return world.Find<QComboBox>("Com_extended"); }

    GuiWorld world;
};

TEST_F(PortPanelTest, TheRadioGroupOffersSixPortsInTwoColumns) {
    Open();
    auto* group = world.Find<QGroupBox>("COM");
    EXPECT_EQ(group->title(), "USB : ");
    EXPECT_TRUE(group->font().bold());
    EXPECT_EQ(group->font().pixelSize(), 19);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Radio(i)->text(), QString::number(i + 1));
    EXPECT_TRUE(Radio(0)->isChecked());
    // Items 1-3 down the first column, 4-6 down the second.
    EXPECT_EQ(Radio(1)->x(), Radio(0)->x());
    EXPECT_GT(Radio(1)->y(), Radio(0)->y());
    EXPECT_GT(Radio(3)->x(), Radio(0)->x());
    EXPECT_EQ(Radio(3)->y(), Radio(0)->y());
}

TEST_F(PortPanelTest, TheModelCanLeaveTheGroupWithoutASelection) {
    Open();
    world.model->controls.COM.itemIndex = 4;
    world.guiPump.PumpOnce();
    EXPECT_TRUE(Radio(4)->isChecked());
    world.model->controls.COM.itemIndex = -1;
    world.guiPump.PumpOnce();
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(Radio(i)->isChecked()) << i;
}

TEST_F(PortPanelTest, TheListShowsTheModelsEntriesAndChoice) {
    Open();
    world.model->controls.Com_extended.items = {"COM1 (ttyKELL0)", "COM3 (ttyACM0)", "COM40"};
    world.model->controls.Com_extended.itemIndex = 1;
    world.guiPump.PumpOnce();
    QComboBox* combo = Combo();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), "COM3 (ttyACM0)");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->font().pixelSize(), 19);

    world.model->controls.Com_extended.items.pop_back();
    world.model->controls.Com_extended.itemIndex = -1;
    world.model->controls.Com_extended.text = "COM7";
    world.guiPump.PumpOnce();
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->placeholderText(), "COM7") << "a text without a chosen entry still shows";
}

TEST_F(PortPanelTest, ARadioItemChoosesItsPort) {
    Open();
    world.model->controls.Com_extended.itemIndex = 0;
    QTest::mouseClick(Radio(3), Qt::LeftButton, {}, QPoint(6, Radio(3)->height() / 2));
    EXPECT_EQ(world.model->controls.COM.itemIndex, 3);
    EXPECT_EQ(world.model->Connection().portNumber, 4);
    EXPECT_EQ(Combo()->currentIndex(), -1) << "the list's choice is cleared";
}

TEST_F(PortPanelTest, EnteringTheListFillsItAndAChoiceSetsThePort) {
    world.ports.Set(12, "/dev/ttyUSB3");
    Open();
    QComboBox* combo = Combo();
    combo->setFocus(Qt::OtherFocusReason);
    world.Settle();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_TRUE(combo->itemText(1).startsWith("COM12"));
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(world.model->Connection().portNumber, 12);
    EXPECT_EQ(world.Find<QGroupBox>("COM")->title(), "USB: 12");
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(Radio(i)->isChecked()) << i;
}

TEST_F(PortPanelTest, ManualOpensThePanelAutoAndOkCloseIt) {
    QWidget* panel = world.Find("PConfigurarPuerto");
    world.Find<QAction>("MenuPuerto")->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(world.Find<QAction>("MenuPuerto")->isChecked());
    EXPECT_FALSE(world.Find<QAction>("Auto1")->isChecked());
    QTest::mouseClick(world.Find("BConfigurarPuerto"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(world.Find<QAction>("Auto1")->isChecked()) << "Ok keeps the manual choice";

    world.Find<QAction>("MenuPuerto")->trigger();
    world.Find<QAction>("Auto1")->trigger();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(world.Find<QAction>("Auto1")->isChecked());
    EXPECT_FALSE(world.Find<QAction>("MenuPuerto")->isChecked());
}

}  // namespace
}  // namespace kell::testing
