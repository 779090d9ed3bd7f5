// The FPGA editor and the default-parameters window over the core's window classes: what the
// user does reaches the models and handlers, what the handlers set shows.
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/core_dialogs.h"
#include "gui/file_filter.h"
#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using CoreDialogsTest = GuiTest;

void Save(QWidget& dialog, const char* name) {
    QDir().mkpath(KELL_SCREENSHOT_DIR);
    dialog.grab().save(QStringLiteral("%1/%2.png").arg(KELL_SCREENSHOT_DIR, QLatin1String(name)));
}

// A click on the box of a check box or radio button (only the box and its text take clicks).
void ClickBox(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

TEST_F(CoreDialogsTest, TheFpgaSetsEditorCountsDescribesAndSteps) {
    GuiWorld world;
    SessionContext session = world.model->Session();
    TCFpga fpga(session, false);
    fpga.visible = true;
    FpgaDialog dialog(FpgaDialogModelsOf(fpga, world.window.get()), world.window.get());
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(392, 366));
    EXPECT_EQ(dialog.windowTitle(), "Configuracion fpga");
    auto* count = dialog.findChild<QLineEdit*>("Edit_n_configuraciones");
    auto* description = dialog.findChild<QLineEdit*>("Edit_descripcion");
    auto* current = dialog.findChild<QLabel*>("Label_configuracion_actual");
    auto* next = dialog.findChild<QPushButton*>("But_siguiente");
    auto* previous = dialog.findChild<QPushButton*>("But_anterior");
    EXPECT_EQ(count->text(), "0");
    EXPECT_EQ(current->text(), "00");

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
    EXPECT_EQ(description->text(), "") << "each configuration shows its own description";
    QTest::mouseClick(previous, Qt::LeftButton);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(current->text(), "1");
    EXPECT_EQ(description->text(), "SATELITE");
    EXPECT_TRUE(fpga.chooseFile) << "the file choice is the dialog's";
    Save(dialog, "fpga_dialog");

    QTest::mouseClick(dialog.findChild<QWidget*>("Button_cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible()) << "the dialog closes when the set closes";
}

TEST_F(CoreDialogsTest, TheDefaultsWindowKeepsTheUsersChoicesInItsModels) {
    GuiWorld world;
    InstrumentFacts facts;
    facts.accessLetter = kServiceAccessLetter;
    TFParam_defecto window(world.model->Session(), facts);
    DefaultsDialog dialog(DefaultsDialogModelsOf(window), world.window.get());
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(515, 462));
    EXPECT_EQ(dialog.windowTitle(), "Parametros por defecto");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("RadioGroup_idioma")->title(), " Idioma ");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("check_grabar_conf_fabrica")->isChecked());
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("check_grabar_perfiles")->isEnabled());

    ClickBox(dialog.findChild<QRadioButton*>("RadioGroup_idioma_2"));
    EXPECT_EQ(window.RadioGroup_idioma.itemIndex, 2);
    ClickBox(dialog.findChild<QCheckBox*>("check_grabar_conf_actual"));
    EXPECT_FALSE(window.check_grabar_conf_actual.checked);
    ClickBox(dialog.findChild<QCheckBox*>("check_grabar_planes"));
    EXPECT_TRUE(window.check_grabar_planes.checked);
    Save(dialog, "defaults_dialog");

    QTest::mouseClick(dialog.findChild<QWidget*>("Button_cancel"), Qt::LeftButton);
    EXPECT_TRUE(window.closed);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CoreDialogsTest, WithoutTheServiceLetterTheBoxesAreClosed) {
    GuiWorld world;
    TFParam_defecto window(world.model->Session(), InstrumentFacts{});
    DefaultsDialog dialog(DefaultsDialogModelsOf(window), world.window.get());
    EXPECT_FALSE(dialog.findChild<QWidget*>("check_grabar_perfiles")->isEnabled());
    EXPECT_TRUE(dialog.findChild<QWidget*>("RadioGroup_modelo")->isEnabled());
}

TEST(FileFilterTest, TheLayoutsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter(".rbf|*.rbf"), ".rbf (*.rbf)");
    EXPECT_EQ(QtFileFilter(".hex, .zsw, .bin|*.hex;*.zsw;*.bin"),
              ".hex, .zsw, .bin (*.hex *.zsw *.bin)");
    EXPECT_EQ(QtFileFilter("Text|*.txt|All|*"), "Text (*.txt);;All (*)");
    EXPECT_EQ(QtFileFilter("no patterns"), "");
    EXPECT_EQ(QtFileFilter("Empty||Text|*.txt"), "Text (*.txt)");
}

}  // namespace
}  // namespace kell::testing
