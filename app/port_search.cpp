// The search button and the automatic port search.
#include <array>

#include "app/ventana_brisca.h"
#include "app/version_rules.h"

namespace kell {
namespace {

// The numbered ports tried first; the system's list follows for the rest.
constexpr int kLowPorts = 15;

}  // namespace

void Tventana_brisca::Button_buscar_puertoClick() {
    switch (state_.stage) {
        case 0:
            SetActionPicture(kPictureArmed, true);
            SetInfoLines(texts.PASO2_L1, texts.PASO2_L2, texts.PASO2_L3);
            state_.stage = 1;
            // After two searches that found nothing the user is offered the manual choice.
            if (state_.failedSearches > 1) {
                state_.failedSearches = 0;
                MenuPuertoClick();
            }
            return;
        case 2:
            state_.rePressed = true;
            return;
        case 1:
            break;
        default:
            return;
    }

    EnableMenus(false);
    SetActionPicture(kPictureSearching, false);
    ShowSearchButton(false);
    SetInfoLines(texts.PASO3_L1, texts.PASO3_L2 + std::to_string(connection_.portNumber),
                 texts.PASO3_L3);
    connection_.portPermissionRefused = false;
    connection_.portHeldElsewhere = false;
    connection_.searchFoundNothing = false;

    if (controls.Auto1.checked) {
        // The list is read anew: the meter may have been plugged in since the last search. A
        // port chosen by hand keeps the number the user saw in the panel's list.
        seams.ports.Rescan();
        SearchAutomatically();
    } else {
        TryPort(connection_.portNumber);
    }

    if (!connection_.connected) {
        ShowNoInstrument();
        return;
    }
    state_.failedSearches = 0;
    CheckBeforeUpdate();
}

void Tventana_brisca::Actualizar1Click() {
    SetActionPicture(kPictureArmed, true);
    state_.stage = 1;
    Button_buscar_puertoClick();
}

void Tventana_brisca::SearchAutomatically() {
    std::array<bool, kLowPorts + 1> tried{};
    for (int n = 1; n <= kLowPorts && !connection_.connected && !state_.exitRequested; ++n) {
        if (!seams.ports.Exists(n))
            continue;
        tried[static_cast<std::size_t>(n)] = true;
        TryPort(n);
    }
    if (connection_.connected)
        return;
    for (const std::string& name : seams.ports.SystemPortNames()) {
        if (connection_.connected || state_.exitRequested)
            break;
        const std::optional<int> n = PortNumberFromName(name);
        if (!n)
            continue;
        connection_.portNumber = *n;
        if (*n <= kLowPorts && tried[static_cast<std::size_t>(*n)])
            continue;
        controls.Label_info2.caption = texts.PASO3_L2 + std::to_string(*n);
        seams.pump.PumpOnce();
        Boton_ConectarClick();
    }
}

void Tventana_brisca::TryPort(int n) {
    connection_.portNumber = n;
    controls.Label_info2.caption = texts.PASO3_L2 + std::to_string(n);
    seams.pump.PumpOnce();
    Boton_ConectarClick();
}

void Tventana_brisca::ShowNoInstrument() {
    ++state_.failedSearches;
    connection_.searchFoundNothing = true;
    monitorPSerie.Close();
    SetActionPicture(kPictureNotFound, false);
    SearchEnd why = SearchEnd::NoInstrument;
    if (connection_.busyReply) {
        SetInfoLines(texts.P6_E5_L1, texts.P6_E5_L2, texts.P6_E5_L3);
        why = SearchEnd::Busy;
    } else if (connection_.portPermissionRefused) {
        SetInfoLines(texts.P6_E8_L1, texts.P6_E8_L2, texts.P6_E8_L3);
        why = SearchEnd::PermissionRefused;
    } else if (connection_.portHeldElsewhere) {
        SetInfoLines(texts.P6_E9_L1, texts.P6_E9_L2, texts.P6_E9_L3);
        why = SearchEnd::HeldElsewhere;
    } else {
        SetInfoLines(texts.P6_E1_L1, texts.P6_E1_L2, texts.P6_E1_L3);
    }
    ShowSearchButton(true);
    EnableMenus(true);
    state_.stage = 0;
    Events().SearchEnded(why);
}

void Tventana_brisca::SetInfoLines(const std::string& line1, const std::string& line2,
                                   const std::string& line3) {
    controls.Label_info1.caption = line1;
    controls.Label_info2.caption = line2;
    controls.Label_info3.caption = line3;
    // The details of the lines before do not explain the new ones.
    controls.Label_info1.hint = controls.Label_info2.hint = controls.Label_info3.hint = {};
}

void Tventana_brisca::EnableMenus(bool enabled) {
    controls.MenuArchivo.enabled = controls.MenuConfigurar.enabled = controls.MenuAyuda.enabled =
        enabled;
}

void Tventana_brisca::ShowSearchButton(bool shown) {
    controls.Button_buscar_puerto.visible = controls.Image_buscar_puerto.visible = shown;
}

}  // namespace kell
