#include "tests/app/search_rig.h"

#include "tests/support/simulated_end.h"

namespace kell::testing {
namespace {

// A port nobody answers on; it only notes that the PC opened it.
struct SilentPort : LineDevice {
    SilentPort(VirtualClock&, DevicePort&) {}
    void OnByteFromHost(std::uint8_t) override {}
    void OnHostOpened() override { onOpened(); }
    std::function<void()> onOpened;
};

}  // namespace

SearchRig::SearchRig(const std::string& release, const std::string& build)
    : image_(SyntheticImage({0x0000, 0x0018}, release, build)) {
    pump.onPump = [this] {
        if (watch_ && window_ && window_->controls.Timer_desconexion.enabled &&
            clock.NowUs() >= nextWatchUs_) {
            nextWatchUs_ = clock.NowUs() + window_->controls.Timer_desconexion.intervalMs * 1000;
            window_->Mira_desconexion();
        }
        if (onPump)
            onPump();
    };
}

SearchRig::~SearchRig() {
    window_.reset();
}

void SearchRig::AddSilentPort(int n) {
    Attach<SilentPort>(n).onOpened = [this, n] { opened.push_back(n); };
}

ScriptedInstrument& SearchRig::AddInstrument(int n, IdentityFacts facts) {
    ScriptedInstrument& instrument = Attach<ScriptedInstrument>(n, std::move(facts));
    instrument.onOpened = [this, n] { opened.push_back(n); };
    return instrument;
}

sim::Instrument& SearchRig::AddSimulated(int n, sim::Scenario scenario) {
    return Attach<SimulatedEnd>(n, std::move(scenario));
}

Tventana_brisca& SearchRig::Window() {
    if (!window_) {
        const Seams seen{clock, serial, pump, notifier, catalog_ ? *catalog_ : ports};
        window_ = std::make_unique<Tventana_brisca>(seen, dir_.Path(), SpanOf(image_),
                                                    std::string(KELL_DATA_DIR) + "/idiomas.ini");
    }
    return *window_;
}

void SearchRig::Search() {
    Tventana_brisca& w = Window();
    if (w.State().stage == 0)
        w.Button_buscar_puertoClick();
    w.Button_buscar_puertoClick();
}

}  // namespace kell::testing
