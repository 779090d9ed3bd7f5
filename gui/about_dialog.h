#pragma once

#include <QDialog>

namespace kell::gui {

// FormAbout: the about box, sized to its one picture.
class AboutDialog : public QDialog {
  public:
    static constexpr int kWidth = 373;
    static constexpr int kHeight = 390;

    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace kell::gui
