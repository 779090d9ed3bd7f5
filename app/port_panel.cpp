// The manual port panel and the menu entries that choose between it and the automatic search.
#include "app/ventana_brisca.h"
#include "app/version_rules.h"

namespace kell {
namespace {

constexpr int kListedPorts = 32;

}  // namespace

void Tventana_brisca::MenuPuertoClick() {
    Auto1.checked = false;
    MenuPuerto.checked = true;
    PConfigurarPuerto.visible = true;
}

void Tventana_brisca::Auto1Click() {
    Auto1.checked = true;
    MenuPuerto.checked = false;
    PConfigurarPuerto.visible = false;
}

void Tventana_brisca::BConfigurarPuertoClick() {
    PConfigurarPuerto.visible = false;
}

void Tventana_brisca::COM_Click() {
    if (COM.itemIndex < 0 || static_cast<std::size_t>(COM.itemIndex) >= COM.items.size())
        return;
    portNumber = COM.itemIndex + 1;
    Com_extended.itemIndex = -1;
    Com_extended.text.clear();
}

void Tventana_brisca::Com_extendedChange() {
    Com_extended.items.clear();
    seams.ports.Rescan();
    for (int n = 1; n <= kListedPorts; ++n) {
        if (!seams.ports.Exists(n))
            continue;
        std::string entry = "COM" + std::to_string(n);
        // The user knows the instrument by its device, not by the number given to it here.
        const std::string device = seams.ports.Describe(n);
        if (!device.empty())
            entry += " (" + device + ")";
        Com_extended.items.push_back(std::move(entry));
    }
}

void Tventana_brisca::Com_extended_select() {
    // An entry the user typed without a port number chooses nothing.
    const std::optional<int> n = PortNumberFromName(Com_extended.text);
    if (!n)
        return;
    portNumber = *n;
    COM.caption = "USB: " + std::to_string(*n);
    COM.itemIndex = -1;
}

}  // namespace kell
