#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "gui/binder.h"
#include "platform/controls.h"

namespace kell::gui {

// What the dialog "Configuracion fpga" shows and does: the editor's control models and the
// dialog's handlers, as the FPGA configuration set (TCFpga) holds them.
struct FpgaDialogModels {
    std::function<bool()> open;  // false once the model has closed its window
    Edit& Edit_n_configuraciones;
    Label& Label_nombre;
    Edit& Edit_descripcion;
    Label& Label_configuracion_actual;
    Label& Label_cantidad_configuraciones;
    Label& Lbl_estado_fpga;
    std::function<void()> Edit_num_configuraciones;  // the count edit changed
    std::function<void()> Editar_descripcion;        // the description edit changed
    std::function<void()> But_nombre_ficheroClick;
    std::function<void()> But_siguienteClick;
    std::function<void()> But_anteriorClick;
    std::function<void()> Button_okClick;
    std::function<void()> Button_cancelClick;
};

// TCFpga's window: the editor of the configuration set (number of configurations, file and
// description of each, previous / next) and the buttons that write the set or cancel.
class FpgaDialog : public QDialog {
  public:
    static constexpr int kWidth = 392;
    static constexpr int kHeight = 366;
    static constexpr const char* kFileFilter = ".rbf|*.rbf";

    FpgaDialog(FpgaDialogModels models, QWidget* parent = nullptr);

    // Brings the controls up to date with the models; closes the dialog once the form is hidden.
    void Refresh();

    // OpenDialog_conf_fpga: asks for a configuration file (.rbf); empty when none was chosen.
    static std::string ChooseConfigurationFile(QWidget* parent);

  private:
    void Run(const std::function<void()>& handler);

    FpgaDialogModels models_;
    Binder binder_;
};

}  // namespace kell::gui
