#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/ventana_brisca.h"
#include "gui/gui_event_pump.h"
#include "gui/main_window.h"
#include "platform/seams.h"
#include "sim/instrument.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// A suite whose tests have a QApplication (on the offscreen platform under ctest).
class GuiTest : public ::testing::Test {
  public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

  private:
    static inline std::unique_ptr<QApplication> application_;
};

// The language file of the repository, as the program ships it.
std::string ShippedLanguageFile();

// The main window as the program shows it, over a virtual world whose pump is the front end's:
// the meter's port is port 1 (kPortPath), with nothing on its far end until a test attaches the
// simulated meter. Message boxes and beeps are recorded; ending the process is only noted.
struct GuiWorld : VirtualWorld {
    static constexpr const char* kPortPath = "/dev/ttyKELL0";

    explicit GuiWorld(const std::string& languageFile = ShippedLanguageFile());
    ~GuiWorld() override;

    // Finds a control of the window by its name.
    template <typename Widget = QWidget>
    Widget* Find(const char* name) const {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }
    // Lets the event loop handle what is pending (shown windows paint, timers fire).
    void Settle(int ms = 0);
    // Puts the simulated meter of the scenario file (a name of sim/scenarios) on the port.
    sim::Instrument& AttachMeter(const std::string& scenarioName);

    VirtualLine& line = AddPort(1, kPortPath);
    std::unique_ptr<sim::Instrument> meter;
    gui::GuiEventPump guiPump;
    Seams guiSeams{clock, serial, guiPump, notifier, ports};
    QTemporaryDir workingDirectory;
    std::unique_ptr<Tventana_brisca> model;
    std::unique_ptr<gui::MainWindow> window;
    int endProcessCalls = 0;
    int endProcessCode = -1;
};

}  // namespace kell::testing
