#include "gui/service_menu.h"

#include "app/ventana_brisca.h"
#include "gui/core_dialogs.h"
#include "gui/gui_event_pump.h"
#include "gui/main_window.h"

namespace kell::gui {
namespace {

// Shows a dialog modally; while it is open the core's pumps bring it up to date too, so that
// what its operations report shows while they run.
template <typename Dialog>
void ShowModally(MainWindow& window, Dialog& dialog) {
    GuiEventPump& pump = window.Pump();
    const int refresh = pump.AddRefresh([&dialog] { dialog.Refresh(); });
    dialog.exec();
    pump.RemoveRefresh(refresh);
    window.Refresh();
}

}  // namespace

void AddServiceMenu(MainWindow& window, Tventana_brisca& model) {
    window.AddServiceAction(QString::fromLatin1(kParamDefectoCaption), [&window, &model] {
        TFParam_defecto defaults(model.Session(), model.Facts());
        DefaultsDialog dialog(DefaultsDialogModelsOf(defaults), &window);
        ShowModally(window, dialog);
    });
    window.AddServiceAction(QStringLiteral("Configuracion fpga"), [&window, &model] {
        SessionContext session = model.Session();
        TCFpga fpga(session, model.controls.Check_firmware.checked);
        fpga.visible = true;
        FpgaDialog dialog(FpgaDialogModelsOf(fpga, &window), &window);
        ShowModally(window, dialog);
    });
}

}  // namespace kell::gui
