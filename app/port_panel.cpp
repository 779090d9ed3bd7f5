// The manual port panel and the menu entries that choose between it and the automatic search.
#include "app/ventana_brisca.h"
#include "app/version_rules.h"

namespace kell {
namespace {

constexpr int kListedPorts = 32;

}  // namespace

void Tventana_brisca::MenuPuertoClick() {
    controls.Auto1.checked = false;
    controls.MenuPuerto.checked = true;
    controls.PConfigurarPuerto.visible = true;
}

void Tventana_brisca::Auto1Click() {
    controls.Auto1.checked = true;
    controls.MenuPuerto.checked = false;
    controls.PConfigurarPuerto.visible = false;
}

void Tventana_brisca::BConfigurarPuertoClick() {
    controls.PConfigurarPuerto.visible = false;
}

void Tventana_brisca::COM_Click() {
    if (controls.COM.itemIndex < 0 ||
        static_cast<std::size_t>(controls.COM.itemIndex) >= controls.COM.items.size())
        return;
    connection_.portNumber = controls.COM.itemIndex + 1;
    controls.Com_extended.itemIndex = -1;
    controls.Com_extended.text.clear();
}

void Tventana_brisca::Com_extendedChange() {
    controls.Com_extended.items.clear();
    seams.ports.Rescan();
    for (int n = 1; n <= kListedPorts; ++n) {
        if (!seams.ports.Exists(n))
            continue;
        std::string entry = "COM" + std::to_string(n);
        // The user knows the instrument by its device, not by the number given to it here.
        const std::string device = seams.ports.Describe(n);
        if (!device.empty())
            entry += " (" + device + ")";
        controls.Com_extended.items.push_back(std::move(entry));
    }
}

void Tventana_brisca::Com_extended_select() {
    // An entry the user typed without a port number chooses nothing.
    const std::optional<int> n = PortNumberFromName(controls.Com_extended.text);
    if (!n)
        return;
    connection_.portNumber = *n;
    controls.COM.caption = "USB: " + std::to_string(*n);
    controls.COM.itemIndex = -1;
}

}  // namespace kell
