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
    if (!connected)
        Boton_ConectarClick();
    if (!connected)
        return false;
    Barra_progreso.SetRange(0, static_cast<int>(kErasedSectors.size()) + 1);
    Barra_progreso.SetPosition(0);
    LinkContext link = Link();
    if (!UpToTenTries([&] { return BlankLoaderBlock(link); }))
        return false;
    int k = 0;
    for (std::uint8_t sector : kErasedSectors) {
        Barra_progreso.SetPosition(++k);
        seams.pump.PumpOnce();
        if (!UpToTenTries([&] { return EraseFlashSector(link, sector); }))
            return false;
    }
    Barra_progreso.SetPosition(k + 1);
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
    facts.identified = modelKnown;
    facts.records.zoneCode = static_cast<std::uint8_t>(zoneCode);
    facts.records.usaUnit = usaUnit;
    facts.records.modelKnown = modelKnown;
    facts.records.threeFpgaConfigurations = threeFpgaConfigurations;
    facts.records.plansType = plansType;
    facts.records.plansStoredVersion = plansStoredVersion;
    facts.records.plansExpectedVersion = plansExpectedVersion;
    facts.records.plansChecked = Check_planes.checked;
    facts.records.parameter562Valid = parameter562Valid;
    facts.records.parameter562 = parameter562;
    facts.records.parameter571 = parameter571;
    facts.firmwareBelow189 = firmwareBelow189;
    facts.loaderMode = bootstrapReply;
    facts.accessLetter = optionsMode;
    return facts;
}

MainWindowLoan Tventana_brisca::Loan() {
    return MainWindowLoan{graficos,      fileOp,          hexReader.get(), pagePresent,
                          plansSelected, plansTypeIsZero, plansType,       Check_fpga.checked};
}

}  // namespace kell
