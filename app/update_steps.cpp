// Pieces of the update session that belong to the main window: the erase step, the finish
// bytes, the bootstrap start and what the updaters borrow from the window.
#include <array>

#include "app/ventana_brisca.h"
#include "link/loader_frames.h"

namespace kell {
namespace {

constexpr int kEraseTries = 10;
constexpr std::array<std::uint8_t, 12> kErasedSectors = {1,  32, 33, 36, 37, 38,
                                                         39, 40, 41, 42, 43, 44};
constexpr std::uint32_t kAfterFinishMs = 500;

template <typename Try>
bool UpToTenTries(Try attempt) {
    for (int i = 0; i < kEraseTries; ++i) {
        if (attempt())
            return true;
    }
    return false;
}

}  // namespace

bool Tventana_brisca::EraseMemory() {
    if (!connection_.connected)
        Boton_ConectarClick();
    if (!connection_.connected)
        return false;
    controls.Barra_progreso.SetRange(0, static_cast<int>(kErasedSectors.size()) + 1);
    controls.Barra_progreso.SetPosition(0);
    LinkContext link = Link();
    if (!UpToTenTries([&] { return BlankLoaderBlock(link); }))
        return false;
    int k = 0;
    for (std::uint8_t sector : kErasedSectors) {
        controls.Barra_progreso.SetPosition(++k);
        seams.pump.PumpOnce();
        if (!UpToTenTries([&] { return EraseFlashSector(link, sector); }))
            return false;
    }
    controls.Barra_progreso.SetPosition(k + 1);
    seams.pump.PumpOnce();
    return true;
}

void Tventana_brisca::SendFinish() {
    monitorPSerie.Drain();
    const std::uint8_t finish[2] = {0x0F, 0x00};
    monitorPSerie.Write(finish, 2);
    seams.clock.SleepMs(kAfterFinishMs);
}

bool Tventana_brisca::StartBootstrapLoader() {
    diferencial = std::make_unique<TCDiferencial>(Session(), Loan());
    return diferencial->StartBootstrapLoader();
}

InstrumentFacts Tventana_brisca::Facts() const {
    InstrumentFacts facts;
    facts.identified = identification_.modelKnown;
    facts.records.zoneCode = static_cast<std::uint8_t>(identification_.zoneCode);
    facts.records.usaUnit = identification_.usaUnit;
    facts.records.modelKnown = identification_.modelKnown;
    facts.records.threeFpgaConfigurations = identification_.threeFpgaConfigurations;
    facts.records.plansType = identification_.plansType;
    facts.records.plansStoredVersion = identification_.plansStoredVersion;
    facts.records.plansExpectedVersion = identification_.plansExpectedVersion;
    facts.records.plansChecked = controls.Check_planes.checked;
    facts.records.parameter562Valid = identification_.parameter562Valid;
    facts.records.parameter562 = identification_.parameter562;
    facts.records.parameter571 = identification_.parameter571;
    facts.firmwareBelow189 = identification_.firmwareBelow189;
    facts.loaderMode = connection_.bootstrapReply;
    facts.accessLetter = connection_.optionsMode;
    return facts;
}

MainWindowLoan Tventana_brisca::Loan() {
    return MainWindowLoan{graficos,
                          fileOp,
                          hexReader.get(),
                          pagePresent,
                          state_.plansSelected,
                          state_.plansTypeIsZero,
                          identification_.plansType,
                          controls.Check_fpga.checked};
}

}  // namespace kell
