#pragma once

#include <QComboBox>
#include <functional>

namespace kell::gui {

// A combo box that says when the user enters it (opens its list or gives it the focus), so
// that its list can be filled afresh just before it shows.
class PortComboBox : public QComboBox {
  public:
    using QComboBox::QComboBox;

    std::function<void()> onEnter;

    void showPopup() override;

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace kell::gui
