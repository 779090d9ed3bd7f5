#include "gui/gui_notifier.h"

#include <QApplication>
#include <QMessageBox>

namespace kell::gui {

void GuiNotifier::Beep(int frequencyHz, int durationMs) {
    QApplication::beep();
}

MessageAnswer GuiNotifier::MessageBox(const std::string& text, const std::string& caption,
                                      MessageButtons buttons) {
    QMessageBox box(parent_.data());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    if (buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

}  // namespace kell::gui
