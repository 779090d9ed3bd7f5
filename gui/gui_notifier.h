#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/notifier.h"

namespace kell::gui {

// Message boxes over the main window and the system's beep. The beep has the system's own
// pitch and length: a desktop offers no tone of a chosen frequency.
class GuiNotifier : public Notifier {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Beep(int frequencyHz, int durationMs) override;
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace kell::gui
