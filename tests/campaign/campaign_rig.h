#pragma once

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/ventana_brisca.h"
#include "payloads/payloads.h"
#include "sim/instrument.h"
#include "tests/campaign/line_faults.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// The program's main window over the simulated instrument on port 1, on virtual time, with the
// shipped language file and the embedded payloads. A copy of the session tests' rig with one
// difference: the line reaches the instrument through LineFaults, so that a test can damage
// single bytes on their way.
class CampaignRig : public VirtualWorld {
  public:
    static constexpr const char* kPath = "/dev/ttyACM0";

    explicit CampaignRig(sim::Scenario scenario) {
        KeepThePortLockInThisProcess();
        instrument = std::make_unique<sim::Instrument>(clock, clock, faults, std::move(scenario));
        faults.Attach(instrument.get());
        line.Attach(&faults);
        ports.SetSystemNames({"COM1"});
        window =
            std::make_unique<Tventana_brisca>(seams, KELL_DATA_DIR, payloads::MainFirmwareHex(),
                                              std::string(KELL_DATA_DIR) + "/idiomas.ini");
        pump.onPump = [this] { PlayTheUser(); };
    }
    ~CampaignRig() override {
        window.reset();
        serial.Close();
        line.Attach(nullptr);
        faults.Attach(nullptr);
    }

    // Presses the search button until a search (and the session it starts) has run.
    void Search() {
        if (window->State().stage == 0)
            window->Button_buscar_puertoClick();
        window->Button_buscar_puertoClick();
    }

    std::int64_t NowUs() const { return clock.NowUs(); }

    // Another instrument on the same port, for the next session of the same window.
    void ReplaceInstrument(sim::Scenario scenario) {
        faults.Attach(nullptr);
        instrument = std::make_unique<sim::Instrument>(clock, clock, faults, std::move(scenario));
        faults.Attach(instrument.get());
        sessionStarted = false;
    }

    // Runs at every pump while the window is connected and no update session runs yet: after
    // identification has made its plan and before the session reads it.
    std::function<void(Tventana_brisca&)> beforeSession;
    // Runs once, when the update session has started (its step count is known).
    std::function<void(Tventana_brisca&)> onSessionStart;
    // Looked at every pump: once it holds, the instrument stops answering for good.
    std::function<bool(const Tventana_brisca&)> silenceWhen;
    std::int64_t silencedAtUs = -1;

    VirtualLine& line = AddPort(1, kPath);
    LineFaults faults{line};
    std::unique_ptr<sim::Instrument> instrument;
    std::unique_ptr<Tventana_brisca> window;
    int panelsAnswered = 0;
    bool sessionStarted = false;

  private:
    // The window's channel locks every operation across the machine through a file in the
    // runtime (on Windows the temporary) directory: a system call each time, millions in a
    // campaign, and a lock shared with whatever else runs. A directory that does not exist
    // keeps the lock in this process.
    static void KeepThePortLockInThisProcess() {
#ifdef _WIN32
        _putenv_s("TMP", "C:\\nonexistent\\kell-campaign\\");
#else
        ::setenv("XDG_RUNTIME_DIR", "/nonexistent/kell-campaign", 1);
#endif
    }

    // The user answers every question OK and presses the search button when asked to.
    void PlayTheUser() {
        if (!window)
            return;
        Tventana_brisca& w = *window;
        if (!w.State().sessionRunning && w.Connection().connected && w.State().stage == 1 &&
            beforeSession)
            beforeSession(w);
        if (silenceWhen && !faults.Silenced() && silenceWhen(w)) {
            faults.Silence();
            silencedAtUs = NowUs();
        }
        if (w.State().sessionRunning && !sessionStarted) {
            sessionStarted = true;
            if (onSessionStart)
                onSessionStart(w);
        }
        if (w.controls.Panel_atencion.visible) {
            ++panelsAnswered;
            w.Button_atencion_okClick();
        } else if (w.State().stage == 2 && w.controls.Button_buscar_puerto.visible) {
            w.Button_buscar_puertoClick();
        }
    }
};

}  // namespace kell::testing
