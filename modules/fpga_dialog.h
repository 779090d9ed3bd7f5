#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/session_context.h"
#include "modules/fpga_set_image.h"
#include "platform/controls.h"

namespace kell {

// A button of the dialog: an image button, so it has a hint instead of a caption.
struct HintedButton : Button {
    std::string hint;
};

// The file dialog of the editor, as a model: the front end shows it with this filter.
struct OpenFileDialog {
    std::string filter;
    std::string fileName;
};

// The FPGA configuration set: assembles the embedded bitstreams with their directory into one
// image, stages it in the instrument, and (unless the main firmware's commit will do it) has
// it copied into flash. The update sequence only calls RunWrite; the dialog itself, with its
// small editor of the set, is shown by a front end.
class TCFpga {
  public:
    // Only indexes 0 to 2 have bitstreams in the program.
    static constexpr int kMaxConfigurations = 3;
    static constexpr std::size_t kDescriptionLength = 8;
    static constexpr int kResultEraseFailed = 17;
    static constexpr int kResultBlockFailed = 18;
    static constexpr int kResultCommitFailed = 19;

    // `mainFirmwareSelected`: the main firmware is updated in the same session (its check box
    // is ticked); its commit then copies the staged set too, so this dialog leaves it staged.
    TCFpga(SessionContext& session, bool mainFirmwareSelected);

    // What the update sequence calls: the write of the set. True when the set was staged and,
    // where this dialog commits, copied into flash.
    bool RunWrite();

    // Handlers of the dialog's controls.
    void Button_okClick();
    void Button_cancelClick();
    void Edit_num_configuraciones();
    void Editar_descripcion();
    void But_nombre_ficheroClick();
    void But_siguienteClick();
    void But_anteriorClick();

    // Shows the file dialog and returns the chosen path, or empty when none was chosen. The
    // front end sets it; unset, no file is ever chosen.
    std::function<std::string(const OpenFileDialog&)> chooseFile;

    bool mainFirmwareSelected;

    // The form, as its controls' models.
    std::string caption = "Configuracion fpga";
    bool visible = false;
    Panel Group_Cabecera;
    Label Label_numero{{}, "Numero de configuraciones : "};
    Edit Edit_n_configuraciones{{}, "0"};
    Panel Group_fichero_conf;
    Label Label_fichero{{}, "Fichero:"};
    Label Label_nombre{{}, "_ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _"};
    Label Label_descripcion{{}, "Descripcion:"};
    Edit Edit_descripcion;
    Label Label_configuracion_actual{{}, "00"};
    Label Label_separador{{}, "/"};
    Label Label_cantidad_configuraciones{{}, "00"};
    HintedButton But_nombre_fichero{{}, "Cargar fichero configuracion"};
    HintedButton But_anterior{{}, "Configuracion anterior"};
    HintedButton But_siguiente{{}, "Configuracion siguiente"};
    Label Lbl_estado_fpga;
    HintedButton Button_ok{{}, "Grabar configuraciones en flash"};
    HintedButton Button_cancel{{}, "Cancelar"};
    OpenFileDialog OpenDialog_conf_fpga{".rbf|*.rbf", ""};

    // The state of the set and of its write.
    bool successFlag = false;
    std::uint8_t bankByte = 0;
    // The number of bytes of the assembled image, which is what is sent.
    std::size_t imageLength = 0;
    // Lives only while a write runs.
    std::unique_ptr<std::uint8_t[]> imageBuffer;
    // 1-based editor number; 0 means none selected.
    int currentConfiguration = 0;
    // 0 to kMaxConfigurations. The update sequence sets 2 or 3.
    int count = 0;
    // Per editor number (1-based); at most kDescriptionLength characters each. The directory
    // entry of configuration i carries the first four characters of description i + 1.
    std::array<std::string, kFpgaDirectoryEntries + 1> descriptions;
    // The chosen file per editor number; the update sequence keeps its labels in slots 0 to 2.
    // Recorded and shown only: the write always takes the embedded bitstreams.
    std::array<std::string, 256> filePaths;
    std::array<std::string, 256> displayNames;

  private:
    // The write; false where a result code was recorded or nothing could be sent.
    bool WriteSet();
    bool AssembleImage();
    bool SendImage();
    void ShowCurrentConfiguration();
    void Close() { visible = false; }

    SessionContext& session_;
};

}  // namespace kell
