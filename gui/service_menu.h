#pragma once

namespace kell {
class Tventana_brisca;
}

namespace kell::gui {

class MainWindow;

// The service functions offered in the service mode: the default-parameters window and the
// FPGA configuration set's editor, each opened modally from its own entry at the end of the
// Configurar menu (closed, like that menu, while a search or an update runs).
void AddServiceMenu(MainWindow& window, Tventana_brisca& model);

}  // namespace kell::gui
