#pragma once

#include <string>

#include "platform/controls.h"

namespace kell {

inline constexpr const char* kMainWindowCaption = "Update_v2.04 (Kell Series)";

// The pictures of ImageList_acciones that Image_accion shows.
enum ActionPicture : int {
    kPictureStart = 0,       // after start-up
    kPictureArmed = 1,       // the search is armed, or started from the menu
    kPictureSearching = 2,   // the port search runs
    kPictureNotFound = 3,    // no instrument, or the link was lost before the update
    kPictureUpdating = 4,    // the update sequence runs
    kPictureUpdated = 5,     // the update ended well
    kPictureFailed = 6,      // the update failed or was cancelled
    kPictureNotUpdated = 7,  // the instrument cannot or need not be updated
};
inline constexpr int kActionPictureCount = 8;

// The file-open dialog of the layout; nothing shows it, the keypad step clears its file name.
struct FileDialog {
    std::string filter = ".hex, .zsw, .bin|*.hex;*.zsw;*.bin";
    std::string fileName;
};

// The main window's controls, by their names in the layout. The window sets them; a front end
// binds its widgets to them and draws them at every pump; tests assert on them.
struct MainWindowControls {
    std::string Caption = kMainWindowCaption;
    Picture Fondo;
    Picture Image_bsa;
    Picture Image_accion;  // index: the ActionPicture shown
    Picture Image_buscar_puerto;
    Button Button_buscar_puerto;
    Label Label_n1, Label_n2, Label_n3;
    HintedLabel Label_info1, Label_info2, Label_info3;  // hint: the version check's details
    Label Label1;                                       // the version line
    Picture Image_salir;
    Button SpeedButton_exit;
    Label Label_progreso_general;
    ProgressBar ProgressBar_general;
    ProgressBar Barra_progreso;
    Picture Image_Tesk, Image_Orvo;

    // The update plan: one hidden mark per component.
    CheckBox Check_teclado, Check_borrar, Check_configuracion, Check_planes, Check_fpga,
        Check_firmware, Check_mpeg4_apl;

    // Manual port panel.
    Panel PConfigurarPuerto;
    Label Label2, Label3;
    Picture Image_puerto;
    RadioGroup COM;
    ComboBox Com_extended;
    Button BConfigurarPuerto;

    // Attention panel.
    Panel Panel_atencion;
    Label Label_atencion;
    Label Label_atencion_linea1, Label_atencion_linea2, Label_atencion_linea3;
    Button Button_atencion_ok, Button_atencion_cancel;

    FileDialog Dialogo_fichero;
    Timer Timer_desconexion;

    MenuItem MenuArchivo, Actualizar1, MenuSalir;
    MenuItem MenuConfigurar, Auto1, MenuPuerto;
    MenuItem MenuAyuda, Ayuda, About1;
};

}  // namespace kell
