#include "config/param_defecto.h"
#include "firmware/diferencial.h"

namespace kell {

bool TFParam_defecto::SendBoots() {
    session.stepStartTime = session.link.clock.Seconds();
    Panel_accion.caption = "Enviando boots ...";
    // In loader mode the loader already runs.
    if (!facts.loaderMode && sendLoaderStages)
        sendLoaderStages();
    return true;
}

bool TFParam_defecto::RunLoaderStages() {
    // This transfer only starts the loader: it streams no firmware and shows no picture, so it
    // borrows nothing of the main window, and the picture raster the loader announces is not
    // kept.
    TGraficos pictures;
    TFile_op noFirmware{std::span<const std::uint8_t>{}};
    PageFlags noPages{};
    TCDiferencial transfer(session, MainWindowLoan{pictures, noFirmware, nullptr, noPages});
    return transfer.RunLoaderStages();
}

}  // namespace kell
