#include "gui/update_notice_dialog.h"

#include <QGroupBox>
#include <QLabel>

#include "gui/fonts.h"
#include "gui/pictures.h"

namespace kell::gui {

UpdateNoticeDialog::UpdateNoticeDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Form_act_correcta");
    setFixedSize(kWidth, kHeight);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);
    setAutoFillBackground(true);

    auto* group = new QGroupBox(this);
    group->setGeometry(8, 4, kWidth - 16, kHeight - 12);
    auto* picture = new QLabel(group);
    picture->setGeometry(12, 20, 48, 48);
    picture->setPixmap(Picture(picture::kUpdateCorrect, picture->size()));
    auto* first = new QLabel(QStringLiteral("Actualización"), group);
    first->setGeometry(70, 22, 100, 20);
    first->setFont(PixelFont(13, true));
    auto* second = new QLabel(QStringLiteral("correcta !"), group);
    second->setGeometry(70, 46, 100, 20);
    second->setFont(PixelFont(13, true));
}

void UpdateNoticeDialog::showEvent(QShowEvent* event) {
    // Centred on the window it belongs to.
    if (QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

}  // namespace kell::gui
