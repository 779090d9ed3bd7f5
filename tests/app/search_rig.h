#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "platform/seams.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"
#include "tests/app/instrument_scenarios.h"
#include "tests/app/scripted_instrument.h"
#include "tests/app/test_support.h"

namespace kell::testing {

// A machine on virtual time with numbered ports: silent ones, refused ones and ports with an
// instrument on them (the small scripted one, or the simulator), and the main window over it
// with the program's language file. The window
// is made at its first use, so that the ports can be laid out first.
class SearchRig {
  public:
    explicit SearchRig(const std::string& release = "2.04", const std::string& build = "00000");
    ~SearchRig();
    SearchRig(const SearchRig&) = delete;
    SearchRig& operator=(const SearchRig&) = delete;

    // Port n exists and nothing answers on it.
    void AddSilentPort(int n);
    // Port n exists with an instrument on it.
    ScriptedInstrument& AddInstrument(int n, InstrumentFacts facts = scenarios::UpToDate());
    // Port n exists with the simulated instrument on it.
    sim::Instrument& AddSimulated(int n, sim::Scenario scenario);
    // Port n exists but this user may not open it.
    void AddRefusedPort(int n);
    void SetSystemNames(std::vector<std::string> names) { ports.SetSystemNames(std::move(names)); }
    // The window sees the ports through this catalog instead (one that wraps `ports`).
    void SeePortsThrough(PortCatalog& catalog) { catalog_ = &catalog; }
    // The line of a port laid out before, by the path the rig gives it.
    VirtualLine* LineOf(int n) { return lines.Find(PathOf(n)); }
    std::string PathOf(int n) const { return "/dev/ttyV" + std::to_string(n); }

    Tventana_brisca& Window();
    // Presses the search button (arming it first when needed) until the search has run.
    void Search();
    // Plays a front end's 100 ms timer: the disconnection watch runs during the pumps.
    void RunDisconnectionWatch() { watch_ = true; }

    double SecondsSince(std::int64_t us) const {
        return static_cast<double>(clock.NowUs() - us) / 1e6;
    }

    // Declared before the window's serial device, so that they outlive its closing.
    VirtualClock clock;
    VirtualLineSet lines;

  private:
    struct SilentPort : LineDevice {
        std::function<void()> onOpened;
        void OnByteFromHost(std::uint8_t) override {}
        void OnHostOpened() override { onOpened(); }
    };
    VirtualLine& NewLine(int n);

    std::map<int, std::unique_ptr<VirtualLine>> lines_;
    std::map<int, std::unique_ptr<SilentPort>> silent_;
    std::map<int, std::unique_ptr<ScriptedInstrument>> instruments_;
    std::map<int, std::unique_ptr<sim::Instrument>> simulated_;

  public:
    VirtualSerialDevice serial{lines};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    FixedPortCatalog ports;
    // Runs at every pump after the watch, for a test that plays the user or the instrument.
    std::function<void()> onPump;
    // The numbers of the ports the window opened, in order.
    std::vector<int> opened;

  private:
    TempDir dir_;
    std::string image_;
    PortCatalog* catalog_ = nullptr;
    bool watch_ = false;
    std::int64_t nextWatchUs_ = 0;
    std::unique_ptr<Tventana_brisca> window_;
};

}  // namespace kell::testing
