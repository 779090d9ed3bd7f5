#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace kell::gui {

class FlatButton;

// Gives a control of a fixed layout its name (the control's name in the window model, which
// is how tests and people find it) and its place.
template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// The side of the dialogs' image buttons.
inline constexpr int kImageButtonSide = 65;

// An image button of the dialogs: the named picture under a flat button of the same place.
FlatButton* AddImageButton(QWidget* parent, const char* name, const char* picture, QRect place);

}  // namespace kell::gui
