// The dialogs over the core's own window classes.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/core_dialogs.h"
#include "tests/gui/gui_world.h"

namespace kell::gui::testing {
namespace {

using CoreDialogsTest = GuiTest;

TEST_F(CoreDialogsTest, TheFpgaSetsEditorCountsDescribesAndSteps) {
    GuiWorld world;
    SessionContext session = world.model->Session();
    TCFpga fpga(session, false);
    fpga.visible = true;
    FpgaDialog dialog(FpgaDialogModelsOf(fpga, world.window.get()), world.window.get());
    dialog.show();
    auto* count = dialog.findChild<QLineEdit*>("Edit_n_configuraciones");
    auto* description = dialog.findChild<QLineEdit*>("Edit_descripcion");
    auto* current = dialog.findChild<QLabel*>("Label_configuracion_actual");
    auto* next = dialog.findChild<QPushButton*>("But_siguiente");
    auto* previous = dialog.findChild<QPushButton*>("But_anterior");

    count->selectAll();
    QTest::keyClicks(count, "2");
    EXPECT_EQ(fpga.count, 2);
    EXPECT_EQ(dialog.findChild<QLabel*>("Label_cantidad_configuraciones")->text(), "2");
    EXPECT_EQ(current->text(), "1");

    QTest::keyClicks(description, "SATELITE1");
    EXPECT_EQ(fpga.descriptions[1], "SATELITE");
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(current->text(), "2") << "stepping stops at the count";
    EXPECT_EQ(description->text(), "");
    QTest::mouseClick(previous, Qt::LeftButton);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(current->text(), "1");
    EXPECT_EQ(description->text(), "SATELITE");
    EXPECT_TRUE(fpga.chooseFile) << "the file choice is the dialog's";
}

TEST_F(CoreDialogsTest, TheDefaultsWindowShowsItsBoxesAndCancelCloses) {
    GuiWorld world;
    InstrumentFacts facts;
    TFParam_defecto window(world.model->Session(), facts);
    window.closed = false;
    DefaultsDialog dialog(DefaultsDialogModelsOf(window), world.window.get());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Parametros por defecto");
    EXPECT_FALSE(dialog.findChild<QWidget*>("check_grabar_perfiles")->isEnabled())
        << "without the service letter the boxes are disabled";
    QTest::mouseClick(dialog.findChild<QWidget*>("Button_cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kell::gui::testing
