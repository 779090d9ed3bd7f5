#pragma once

#include <QDialog>

namespace kell::gui {

// Form_act_correcta: the small notice of a correct update. The program creates it with its
// other windows; no step of a session shows it.
class UpdateNoticeDialog : public QDialog {
  public:
    static constexpr int kWidth = 192;
    static constexpr int kHeight = 96;

    explicit UpdateNoticeDialog(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kell::gui
