#include "gui/port_combo_box.h"

#include <QFocusEvent>

namespace kell::gui {

void PortComboBox::showPopup() {
    if (onEnter)
        onEnter();
    QComboBox::showPopup();
}

void PortComboBox::focusInEvent(QFocusEvent* event) {
    // Opening the list gives the focus too; the list is filled once for both.
    if (onEnter && event->reason() != Qt::PopupFocusReason)
        onEnter();
    QComboBox::focusInEvent(event);
}

}  // namespace kell::gui
