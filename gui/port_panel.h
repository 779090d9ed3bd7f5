#pragma once

#include "gui/headed_panel.h"
#include "gui/run_handler.h"

class QButtonGroup;
class QGroupBox;

namespace kell {
class Tventana_brisca;
}

namespace kell::gui {

class Binder;
class PortComboBox;

// PConfigurarPuerto: the manual choice of the port, by number (1 to 6) or from the list of the
// machine's ports.
class PortPanel : public HeadedPanel {
  public:
    PortPanel(Tventana_brisca& model, Binder& binder, const RunHandler& run, QWidget* parent);

  private:
    QGroupBox* group_;
    QButtonGroup* buttons_;
    PortComboBox* combo_;
};

}  // namespace kell::gui
