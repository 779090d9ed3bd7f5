#pragma once

#include <QAbstractButton>

namespace kell::gui {

// A button without a face of its own, laid over the picture that shows it (the search and exit
// buttons): it only darkens while pressed and lightens while the pointer is over it.
class FlatButton : public QAbstractButton {
  public:
    explicit FlatButton(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

}  // namespace kell::gui
