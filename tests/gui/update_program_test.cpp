#include <QLabel>

#include "gui/update_program.h"
#include "tests/gui/gui_world.h"

namespace kell::gui::testing {
namespace {

using UpdateProgramTest = GuiTest;

TEST_F(UpdateProgramTest, TheProgramShowsTheMainWindowOverTheNamedPort) {
    ProgramOptions options;
    options.languageDir = KELL_DATA_DIR;
    UpdateProgram program(options, "/dev/ttyKELL-none", "");
    Tventana_brisca& model = program.Model();
    EXPECT_EQ(model.optionsMode, 'N');
    EXPECT_EQ(model.seams.ports.DevicePath(1), "/dev/ttyKELL-none");
    EXPECT_FALSE(model.seams.ports.Exists(2)) << "the named port is the only one";
    EXPECT_FALSE(model.texts.PASO1_L1.empty()) << "the texts come from --lang-dir";
    program.Window().show();
    EXPECT_EQ(program.Window().windowTitle(), "Update_v2.04 (Kell Series)");
    EXPECT_EQ(program.Window().findChild<QLabel*>("Label1")->text(), "Version 2.04");
}

TEST_F(UpdateProgramTest, ServiceModeSetsTheServiceLetter) {
    ProgramOptions options;
    options.service = true;
    UpdateProgram program(options, "", "");
    EXPECT_EQ(program.Model().optionsMode, kServiceOptionsMode);
    EXPECT_NE(kServiceOptionsMode, 'N');
}

}  // namespace
}  // namespace kell::gui::testing
