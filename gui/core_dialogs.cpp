#include "gui/core_dialogs.h"

#include <QFileDialog>
#include <QPointer>

#include "gui/file_filter.h"

namespace kell::gui {

FpgaDialogModels FpgaDialogModelsOf(TCFpga& fpga, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    fpga.chooseFile = [owner](const OpenFileDialog& dialog) {
        return QFileDialog::getOpenFileName(owner.data(), QString(),
                                            QString::fromStdString(dialog.fileName),
                                            QtFileFilter(dialog.filter))
            .toStdString();
    };
    return {[&fpga] { return fpga.visible; },
            fpga.Edit_n_configuraciones,
            fpga.Label_nombre,
            fpga.Edit_descripcion,
            fpga.Label_configuracion_actual,
            fpga.Label_cantidad_configuraciones,
            fpga.Lbl_estado_fpga,
            [&fpga] { fpga.Edit_num_configuraciones(); },
            [&fpga] { fpga.Editar_descripcion(); },
            [&fpga] { fpga.But_nombre_ficheroClick(); },
            [&fpga] { fpga.But_siguienteClick(); },
            [&fpga] { fpga.But_anteriorClick(); },
            [&fpga] { fpga.Button_okClick(); },
            [&fpga] { fpga.Button_cancelClick(); }};
}

DefaultsDialogModels DefaultsDialogModelsOf(TFParam_defecto& window) {
    TFParam_defecto& w = window;
    return {[&w] { return !w.closed; },
            w.RadioGroup_modelo,
            w.RadioGroup_idioma,
            w.check_grabar_conf_fabrica,
            w.check_grabar_conf_actual,
            w.check_grabar_perfiles,
            w.check_borrar_incidencias,
            w.check_borrar_tablas,
            w.check_borrar_memorias,
            w.check_borrar_macromedidas,
            w.check_borrar_logs,
            w.check_grabar_planes,
            w.check_grabar_opciones,
            w.Panel_estado,
            w.Panel_accion,
            [&w] { w.Button_okClick(&w.Button_ok); },
            [&w] { w.Button_cancelClick(&w.Button_cancel); }};
}

}  // namespace kell::gui
