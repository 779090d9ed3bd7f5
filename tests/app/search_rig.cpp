#include "tests/app/search_rig.h"

namespace kell::testing {

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

VirtualLine& SearchRig::NewLine(int n) {
    auto line = std::make_unique<VirtualLine>(clock);
    VirtualLine& ref = *line;
    lines.Add(PathOf(n), &ref);
    ports.Set(n, PathOf(n));
    lines_[n] = std::move(line);
    return ref;
}

void SearchRig::AddSilentPort(int n) {
    VirtualLine& line = NewLine(n);
    auto device = std::make_unique<SilentPort>();
    device->onOpened = [this, n] { opened.push_back(n); };
    line.Attach(device.get());
    silent_[n] = std::move(device);
}

ScriptedInstrument& SearchRig::AddInstrument(int n, InstrumentFacts facts) {
    VirtualLine& line = NewLine(n);
    auto instrument = std::make_unique<ScriptedInstrument>(clock, line, std::move(facts));
    instrument->onOpened = [this, n] { opened.push_back(n); };
    line.Attach(instrument.get());
    ScriptedInstrument& ref = *instrument;
    instruments_[n] = std::move(instrument);
    return ref;
}

sim::Instrument& SearchRig::AddSimulated(int n, sim::Scenario scenario) {
    VirtualLine& line = NewLine(n);
    auto instrument = std::make_unique<sim::Instrument>(clock, clock, line, std::move(scenario));
    line.Attach(instrument.get());
    sim::Instrument& ref = *instrument;
    simulated_[n] = std::move(instrument);
    return ref;
}

void SearchRig::AddRefusedPort(int n) {
    lines.Deny(PathOf(n));
    ports.Set(n, PathOf(n));
}

Tventana_brisca& SearchRig::Window() {
    if (!window_) {
        const Seams seams{clock, serial, pump, notifier, catalog_ ? *catalog_ : ports};
        window_ = std::make_unique<Tventana_brisca>(seams, dir_.Path(), Bytes(image_),
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
