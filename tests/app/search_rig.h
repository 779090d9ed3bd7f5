#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"
#include "tests/app/instrument_scenarios.h"
#include "tests/app/test_support.h"
#include "tests/support/scripted_instrument.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// A machine on virtual time with numbered ports: silent ones, refused ones and ports with an
// instrument on them (the small scripted one, or the simulator), and the main window over it
// with the program's language file. The window is made at its first use, so that the ports can
// be laid out first.
class SearchRig : public VirtualWorld {
  public:
    explicit SearchRig(const std::string& release = "2.04", const std::string& build = "00000");
    ~SearchRig() override;

    // Port n exists and nothing answers on it.
    void AddSilentPort(int n);
    // Port n exists with an instrument on it.
    ScriptedInstrument& AddInstrument(int n, IdentityFacts facts = scenarios::UpToDate());
    // Port n exists with the simulated instrument on it.
    sim::Instrument& AddSimulated(int n, sim::Scenario scenario);
    void SetSystemNames(std::vector<std::string> names) { ports.SetSystemNames(std::move(names)); }
    // The window sees the ports through this catalog instead (one that wraps `ports`).
    void SeePortsThrough(PortCatalog& catalog) { catalog_ = &catalog; }

    Tventana_brisca& Window();
    // Presses the search button (arming it first when needed) until the search has run.
    void Search();
    // Plays a front end's 100 ms timer: the disconnection watch runs during the pumps.
    void RunDisconnectionWatch() { watch_ = true; }

    double SecondsSince(std::int64_t us) const {
        return static_cast<double>(clock.NowUs() - us) / 1e6;
    }

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
