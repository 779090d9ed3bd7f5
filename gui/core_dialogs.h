#pragma once

#include "config/param_defecto.h"
#include "gui/defaults_dialog.h"
#include "gui/fpga_dialog.h"
#include "modules/fpga_dialog.h"

class QWidget;

namespace kell::gui {

// The FPGA configuration set's editor models and handlers. Its file choice is asked of the user
// over `parent` (OpenDialog_conf_fpga, filtered on .rbf).
FpgaDialogModels FpgaDialogModelsOf(TCFpga& fpga, QWidget* parent);

// The default-parameters window's models and handlers; OK and Cancel run as clicks of their
// buttons.
DefaultsDialogModels DefaultsDialogModelsOf(TFParam_defecto& window);

}  // namespace kell::gui
