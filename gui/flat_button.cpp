#include "gui/flat_button.h"

#include <QPainter>

namespace kell::gui {

FlatButton::FlatButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void FlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (isDown())
        painter.fillRect(rect(), QColor(0, 0, 0, 40));
    else if (underMouse())
        painter.fillRect(rect(), QColor(255, 255, 255, 40));
}

void FlatButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void FlatButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace kell::gui
