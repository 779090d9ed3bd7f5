#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "gui/binder.h"
#include "platform/controls.h"

namespace kell::gui {

// What the window "Parametros por defecto" shows and does, as the default-parameters window
// (TFParam_defecto) holds it. The check boxes in the order of the window's groups: Grabar Eeprom
// (fábrica, actual, perfiles), Borrar Eeprom (incidencias), Borrar Flash (tablas, memorias,
// macromedidas, logs), Grabar Flash (planes, opciones).
struct DefaultsDialogModels {
    std::function<bool()> open;  // false once the model has closed its window
    RadioGroup& RadioGroup_modelo;
    RadioGroup& RadioGroup_idioma;
    CheckBox& check_grabar_conf_fabrica;
    CheckBox& check_grabar_conf_actual;
    CheckBox& check_grabar_perfiles;
    CheckBox& check_borrar_incidencias;
    CheckBox& check_borrar_tablas;
    CheckBox& check_borrar_memorias;
    CheckBox& check_borrar_macromedidas;
    CheckBox& check_borrar_logs;
    CheckBox& check_grabar_planes;
    CheckBox& check_grabar_opciones;
    Panel& Panel_estado;
    Panel& Panel_accion;
    std::function<void()> Button_okClick;  // run as a click of the button (with a sender)
    std::function<void()> Button_cancelClick;
};

// TFParam_defecto's window, opened in the service mode: which records to write and what to
// erase, behind one OK button.
class DefaultsDialog : public QDialog {
  public:
    static constexpr int kWidth = 515;
    static constexpr int kHeight = 462;

    DefaultsDialog(DefaultsDialogModels models, QWidget* parent = nullptr);

    // Brings the controls up to date; closes the window once the model hides it.
    void Refresh();

  private:
    void Run(const std::function<void()>& handler);

    DefaultsDialogModels models_;
    Binder binder_;
};

}  // namespace kell::gui
