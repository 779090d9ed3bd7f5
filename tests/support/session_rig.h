#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "payloads/payloads.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"
#include "tests/support/line_faults.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// The program's main window over the simulated instrument on port 1, on virtual time, with the
// shipped language file and the embedded payloads: a whole session runs in milliseconds. The
// line reaches the instrument through LineFaults, which pass every byte until a test places
// faults. Link kell_app, kell_sim and kell_payloads, and define KELL_DATA_DIR.
class SessionRig : public VirtualWorld {
  public:
    static constexpr const char* kPath = "/dev/ttyACM0";

    explicit SessionRig(sim::Scenario scenario) {
        ReplaceInstrument(std::move(scenario));
        line.Attach(&faults);
        ports.SetSystemNames({"COM1"});
        window =
            std::make_unique<Tventana_brisca>(seams, KELL_DATA_DIR, payloads::MainFirmwareHex(),
                                              std::string(KELL_DATA_DIR) + "/idiomas.ini");
        pump.onPump = [this] { PlayTheUser(); };
        notifier.onMessage = [this](const RecordingNotifier::Message& m) { NoteEstimate(m); };
    }
    ~SessionRig() override {
        window.reset();
        serial.Close();
        line.Attach(nullptr);
        faults.Attach(nullptr);
    }

    // Another instrument on the same port, for the next session of the same window.
    void ReplaceInstrument(sim::Scenario scenario) {
        faults.Attach(nullptr);
        instrument = std::make_unique<sim::Instrument>(clock, clock, faults, std::move(scenario));
        faults.Attach(instrument.get());
    }

    // Presses the search button until a search (and the session it starts) has run.
    void Search() {
        if (window->State().stage == 0)
            window->Button_buscar_puertoClick();
        window->Button_buscar_puertoClick();
    }
    // The sessions's second search is started from the menu, as the window shows no button.
    void SearchAgain() { window->Actualizar1Click(); }

    // How the user answers the attention panel: 1 OK, -1 Cancel, by the panel's first line.
    std::function<int(const std::string& line1)> answerPanel = [](const std::string&) { return 1; };
    // Runs when the window waits for the search button to be pressed again.
    std::function<void()> onRePressWait = [this] { window->Button_buscar_puertoClick(); };
    // Runs at every pump before the user's part, and after it: where a test acts at a chosen
    // point.
    std::function<void()> beforeUser;
    std::function<void()> onPump;
    // Whether the front end's disconnection watch is played.
    bool tendWatch = true;

    std::int64_t NowUs() const { return clock.NowUs(); }

    VirtualLine& line = AddPort(1, kPath);
    LineFaults faults{line};
    std::unique_ptr<sim::Instrument> instrument;
    std::unique_ptr<Tventana_brisca> window;
    int panelsAnswered = 0;
    // What the window showed when it asked the time question.
    struct Estimate {
        std::string text;
        int maximum = -1;  // of the overall bar
        int stepTotal = -1;
    } estimate;
    // The step texts ("Step: 2/4") the window showed, in order.
    std::vector<std::string> stepTexts;

  private:
    void PlayTheUser() {
        if (!window)
            return;
        if (tendWatch)
            TendWatch();
        NoteStepText();
        if (beforeUser)
            beforeUser();
        AnswerTheWindow();
        if (onPump)
            onPump();
    }

    // The disconnection watch fires every interval while it is enabled, as a front end's timer
    // does between the window's events.
    void TendWatch() {
        if (!window->controls.Timer_desconexion.enabled) {
            lastWatchUs_ = -1;
            return;
        }
        const std::int64_t now = clock.NowUs();
        if (lastWatchUs_ < 0) {
            lastWatchUs_ = now;
        } else if (now - lastWatchUs_ >= window->controls.Timer_desconexion.intervalMs * 1000LL) {
            lastWatchUs_ = now;
            window->Mira_desconexion();
        }
    }

    void NoteEstimate(const RecordingNotifier::Message& m) {
        if (m.text.rfind(window->texts.TIEMPO_TOTAL1, 0) != 0)
            return;
        estimate = {m.text, window->controls.ProgressBar_general.maximum,
                    window->State().stepTotal};
    }

    void NoteStepText() {
        const std::string& line = window->controls.Label_info3.caption;
        if (line.rfind(window->texts.PASO4_L3 + ": ", 0) == 0 &&
            (stepTexts.empty() || stepTexts.back() != line))
            stepTexts.push_back(line);
    }

    void AnswerTheWindow() {
        if (window->controls.Panel_atencion.visible) {
            ++panelsAnswered;
            if (answerPanel(window->controls.Label_atencion_linea1.caption) == 1)
                window->Button_atencion_okClick();
            else
                window->Button_atencion_cancelClick();
        } else if (window->State().stage == 2 && window->controls.Button_buscar_puerto.visible &&
                   onRePressWait) {
            onRePressWait();
        }
    }

    std::int64_t lastWatchUs_ = -1;
};

}  // namespace kell::testing
