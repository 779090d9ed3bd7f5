// A meter plugged in after the program started, on the real device stack: the window over the
// machine's port catalog (QSerialPortInfo and a stable-link folder), QSerialPort, the system
// clock and the Qt event loop, against kell-sim behaving as a USB serial device.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <string>
#include "tests/support/private_runtime_dir.h"
#include "tests/support/window_arrangement.h"

#include "app/ventana_brisca.h"
#include "payloads/payloads.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_port_catalog.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/simulator_process.h"
#include "platform/qt/system_clock.h"
#include "platform/virtual/test_doubles.h"
#include "tests/platform_qt/qt_application.h"

namespace kell::testing {
namespace {

struct HotPlug : WithQtApplication {
    HotPlug() {
        kell::testing::UseAPrivateRuntimeDirectory();
        Seams seams{clock, serial, pump, notifier, ports};
        window =
            std::make_unique<Tventana_brisca>(seams, KELL_DATA_DIR, payloads::MainFirmwareHex(),
                                              std::string(KELL_DATA_DIR) + "/idiomas.ini");
    }
    ~HotPlug() override {
        window.reset();
        simulator.Stop();
    }

    // The meter is plugged in: the simulator appears with its link in the stable-link folder.
    bool PlugIn() {
        return simulator.Start(KELL_SIM_PROGRAM,
                               std::string(KELL_DATA_DIR) + "/../sim/scenarios/up-to-date.json",
                               {"--by-id", folder.path().toStdString()});
    }

    QTemporaryDir folder;  // the machine's /dev/serial/by-id, empty: nothing is plugged in
    SystemClock clock;
    QtSerialDevice serial;
    QtEventPump pump;
    RecordingNotifier notifier;
    QtPortCatalog ports{folder.path().toStdString()};
    SimulatorProcess simulator;
    std::unique_ptr<Tventana_brisca> window;
};

TEST_F(HotPlug, AMeterPluggedInAfterTheFirstPressIsFoundByTheSecond) {
    Tventana_brisca& w = *window;
    w.Button_buscar_puertoClick();  // arms: "connect the meter, then press again"
    ASSERT_EQ(w.State().stage, 1);
    ASSERT_TRUE(PlugIn()) << simulator.Error();

    w.Button_buscar_puertoClick();
    EXPECT_FALSE(w.Connection().searchFoundNothing) << w.controls.Label_info1.caption;
    EXPECT_NE(w.controls.Image_accion.index, kPictureNotFound);
    EXPECT_TRUE(w.Identification().modelKnown) << "the meter was identified";
    // Up to date: identified, nothing to write, the link ended.
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotUpdated);
    EXPECT_FALSE(w.Connection().connected);
}

TEST_F(HotPlug, AMeterUnpluggedBetweenTwoSearchesIsNoLongerTried) {
    Tventana_brisca& w = *window;
    ASSERT_TRUE(PlugIn()) << simulator.Error();
    w.Button_buscar_puertoClick();
    w.Button_buscar_puertoClick();
    ASSERT_TRUE(w.Identification().modelKnown);
    simulator.Stop();

    // Forget the first identification: the next search must not identify anything again.
    WindowArrangement::Identification(w).modelKnown = false;
    w.Button_buscar_puertoClick();
    w.Button_buscar_puertoClick();
    EXPECT_TRUE(w.Connection().searchFoundNothing);
    EXPECT_FALSE(w.Identification().modelKnown);
}

}  // namespace
}  // namespace kell::testing
