#pragma once

// The dialogs over the core's window classes, available as soon as those classes are part of
// the program: the FPGA configuration set (modules/fpga_dialog.h) and the default-parameters
// window (config/param_defecto.h).

#include "gui/defaults_dialog.h"
#include "gui/fpga_dialog.h"

#if __has_include("modules/fpga_dialog.h")
#include "modules/fpga_dialog.h"
#define KELL_GUI_HAS_FPGA_DIALOG 1
#endif
#if __has_include("config/param_defecto.h")
#include "config/param_defecto.h"
#define KELL_GUI_HAS_DEFAULTS_DIALOG 1
#endif

namespace kell::gui {

#ifdef KELL_GUI_HAS_FPGA_DIALOG
// The editor's models and handlers of the set. Its file choice is asked of the user over
// `parent` (OpenDialog_conf_fpga, filtered on .rbf).
FpgaDialogModels FpgaDialogModelsOf(TCFpga& fpga, QWidget* parent);
#endif

#ifdef KELL_GUI_HAS_DEFAULTS_DIALOG
// The window's models and handlers; OK and Cancel run as clicks of their buttons.
DefaultsDialogModels DefaultsDialogModelsOf(TFParam_defecto& window);
#endif

}  // namespace kell::gui
