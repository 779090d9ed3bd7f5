#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/ventana_brisca.h"
#include "payloads/payloads.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/simulator_process.h"
#include "platform/qt/system_clock.h"
#include "platform/virtual/test_doubles.h"
#include "tests/support/private_runtime_dir.h"
#include "tests/support/process_cpu.h"

namespace kell::testing {

// The program's main window on the real device stack (QSerialPort, the system clock, the Qt
// event loop) against kell-sim on a pseudo-terminal, in real time. The user answers every
// question with OK unless told otherwise.
class RealSessionRig {
  public:
    explicit RealSessionRig(const std::string& scenarioJson) {
        kell::testing::UseAPrivateRuntimeDirectory();
        const std::string scenario = dir_.filePath("scenario.json").toStdString();
        std::ofstream(scenario) << scenarioJson;
        started = simulator.Start(KELL_SIM_PROGRAM, scenario);
        if (!started)
            return;
        ports.Set(1, simulator.PortPath());
        Seams seams{clock, serial, pump, notifier, ports};
        window =
            std::make_unique<Tventana_brisca>(seams, KELL_DATA_DIR, payloads::MainFirmwareHex(),
                                              std::string(KELL_DATA_DIR) + "/idiomas.ini");
        pump.onPump = [this] { PlayTheUser(); };
    }
    ~RealSessionRig() {
        pump.onPump = nullptr;
        window.reset();
        simulator.Stop();
    }

    // Arms the search and presses again: the search and the session it starts run to the end.
    void Search() {
        if (window->State().stage == 0)
            window->Button_buscar_puertoClick();
        window->Button_buscar_puertoClick();
    }

    // How the user answers the attention panel, by its first line: 1 OK, -1 Cancel, 0 not yet.
    std::function<int(const std::string& line1)> answerPanel = [](const std::string&) { return 1; };

    bool started = false;
    SimulatorProcess simulator;
    SystemClock clock;
    QtSerialDevice serial;
    QtEventPump events;
    ObservingPump pump{events};  // the user answers the window between two passes
    RecordingNotifier notifier;
    FixedPortCatalog ports;
    std::unique_ptr<Tventana_brisca> window;

  private:
    void PlayTheUser() {
        if (!window || !window->controls.Panel_atencion.visible)
            return;
        const int answer = answerPanel(window->controls.Label_atencion_linea1.caption);
        if (answer > 0)
            window->Button_atencion_okClick();
        else if (answer < 0)
            window->Button_atencion_cancelClick();
    }

    QTemporaryDir dir_;
};

}  // namespace kell::testing
