#pragma once

#include <array>

#include "gui/headed_panel.h"
#include "gui/run_handler.h"

class QLabel;
class QPushButton;

namespace kell {
class Tventana_brisca;
}

namespace kell::gui {

class Binder;

// Panel_atencion: a question with three lines of explanation, answered Ok or Cancel.
class AttentionPanel : public HeadedPanel {
  public:
    AttentionPanel(Tventana_brisca& model, Binder& binder, const RunHandler& run, QWidget* parent);

  private:
    std::array<QLabel*, 3> lines_{};
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace kell::gui
