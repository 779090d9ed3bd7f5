#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "gui/update_program.h"
#include "platform/qt/simulator_process.h"
#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using UpdateProgramTest = GuiTest;

TEST_F(UpdateProgramTest, TheProgramShowsTheMainWindowOverTheNamedPort) {
    ProgramOptions options;
    options.languageDir = KELL_DATA_DIR;
    UpdateProgram program(options, "/dev/ttyKELL-none", "");
    Tventana_brisca& model = program.Model();
    EXPECT_EQ(model.Connection().optionsMode, 'N');
    EXPECT_EQ(model.seams.ports.DevicePath(1), "/dev/ttyKELL-none");
    EXPECT_FALSE(model.seams.ports.Exists(2)) << "the named port is the only one";
    EXPECT_FALSE(model.texts.PASO1_L1.empty()) << "the texts come from --lang-dir";
    program.Window().show();
    EXPECT_EQ(program.Window().windowTitle(), "Update_v2.04 (Kell Series)");
    EXPECT_EQ(program.Window().findChild<QLabel*>("Label1")->text(), "Version 2.04");
}

// The service mode's entries: those after the separator.
QList<QAction*> ServiceEntries(UpdateProgram& program) {
    const QList<QAction*> all = program.Window().findChild<QMenu*>("MenuConfigurar")->actions();
    QList<QAction*> entries;
    bool afterSeparator = false;
    for (QAction* action : all) {
        if (afterSeparator)
            entries << action;
        afterSeparator = afterSeparator || action->isSeparator();
    }
    return entries;
}

QStringList ConfigureEntries(UpdateProgram& program) {
    QStringList entries;
    for (QAction* action : program.Window().findChild<QMenu*>("MenuConfigurar")->actions())
        if (!action->isSeparator())
            entries << action->text();
    return entries;
}

TEST_F(UpdateProgramTest, ServiceModeSetsTheServiceLetterAndOffersTheServiceWindows) {
    ProgramOptions options;
    options.languageDir = KELL_DATA_DIR;
    UpdateProgram plain(options, "", "");
    EXPECT_EQ(ConfigureEntries(plain).size(), 2);

    options.service = true;
    UpdateProgram program(options, "", "");
    EXPECT_EQ(program.Model().Connection().optionsMode, kServiceOptionsMode);
    EXPECT_NE(kServiceOptionsMode, 'N');
    const QStringList entries = ConfigureEntries(program);
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[2], "Parametros por defecto");
    EXPECT_EQ(entries[3], "Configuracion fpga");

    // The entries close with their menu while a search or an update runs.
    program.Model().controls.MenuConfigurar.enabled = false;
    program.Window().Refresh();
    for (QAction* action : ServiceEntries(program))
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
}

TEST_F(UpdateProgramTest, TheDefaultsWindowOpensFromTheServiceMenuWithItsBoxesEnabled) {
    ProgramOptions options;
    options.service = true;
    UpdateProgram program(options, "", "");
    const QList<QAction*> entries = ServiceEntries(program);
    ASSERT_EQ(entries.size(), 2);
    QAction* entry = entries[0];
    bool enabled = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        EXPECT_EQ(modal->windowTitle(), "Parametros por defecto");
        enabled = modal->findChild<QWidget*>("check_grabar_perfiles")->isEnabled();
        QTest::mouseClick(modal->findChild<QWidget*>("Button_cancel"), Qt::LeftButton);
    });
    entry->trigger();
    EXPECT_TRUE(enabled) << "the service letter opens the boxes";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Cancel closed the window";
}

}  // namespace
}  // namespace kell::testing

namespace kell::testing {
namespace {

// The program as it runs for a person, in real time: the simulator on a pseudo-terminal, the
// machine's serial device and clock. The meter is up to date, so the search ends after the
// identification, without an update.
TEST_F(UpdateProgramTest, TheRealProgramFindsTheSimulatorOnItsPseudoTerminal) {
    SimulatorProcess simulator;
    ASSERT_TRUE(
        simulator.Start(KELL_SIM_PROGRAM, std::string(KELL_SIM_SCENARIO_DIR) + "/up-to-date.json"))
        << simulator.Error();
    ProgramOptions options;
    options.languageDir = KELL_DATA_DIR;
    UpdateProgram program(options, simulator.PortPath(), "");
    program.Window().show();
    QWidget* search = program.Window().findChild<QWidget*>("Button_buscar_puerto");
    QTest::mouseClick(search, Qt::LeftButton);
    QTest::mouseClick(search, Qt::LeftButton);
    Tventana_brisca& model = program.Model();
    EXPECT_FALSE(model.Identification().identityAtConnect.empty())
        << "the meter answered on the pseudo-terminal";
    EXPECT_EQ(model.controls.Image_accion.index, kPictureNotUpdated);
    EXPECT_FALSE(model.Connection().connected) << "the search ended the link";
}

}  // namespace
}  // namespace kell::testing
