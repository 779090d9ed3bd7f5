#pragma once

#include <memory>
#include <string>

#include "app/ventana_brisca.h"
#include "gui/gui_event_pump.h"
#include "gui/gui_notifier.h"
#include "gui/main_window.h"
#include "gui/program_options.h"
#include "gui/update_notice_dialog.h"
#include "platform/qt/manual_port_catalog.h"
#include "platform/qt/qt_port_catalog.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/system_clock.h"

namespace kell::gui {

// The windowed updater on the real machine: the seams, the main window's model and its
// windows, created in the program's order (the main window first). A QApplication must exist.
class UpdateProgram {
  public:
    // portPath: the one device to use as the meter's port (--port or the simulator's), or
    // empty for the machine's own ports.
    UpdateProgram(const ProgramOptions& options, const std::string& portPath,
                  const std::string& programDirectory);
    ~UpdateProgram();
    UpdateProgram(const UpdateProgram&) = delete;
    UpdateProgram& operator=(const UpdateProgram&) = delete;

    Tventana_brisca& Model() { return *model_; }
    MainWindow& Window() { return *window_; }

  private:
    SystemClock clock_;
    QtSerialDevice serial_;
    QtPortCatalog systemPorts_;
    ManualPortCatalog ports_;
    GuiEventPump pump_;
    GuiNotifier notifier_;
    Seams seams_;
    std::unique_ptr<Tventana_brisca> model_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<UpdateNoticeDialog> notice_;
};

// The language file the program reads: idiomas.ini of --lang-dir when given, else of the
// working directory, else the one installed with the program.
std::string ProgramLanguageFile(const ProgramOptions& options, const std::string& workingDirectory,
                                const std::string& programDirectory);

}  // namespace kell::gui
