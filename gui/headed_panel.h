#pragma once

#include <QColor>
#include <QFrame>

class QLabel;

namespace kell::gui {

// A white panel with a coloured header bar across its top holding a bold white title: the
// shape of both panels that cover the middle of the main window.
class HeadedPanel : public QFrame {
  public:
    static constexpr int kWidth = 585;
    static constexpr int kHeight = 257;
    static constexpr int kHeaderHeight = 50;

    HeadedPanel(QColor headerColour, const char* titleName, QWidget* parent);

    QLabel* Title() const { return title_; }

  private:
    QLabel* title_;
};

}  // namespace kell::gui
