#include "gui/about_dialog.h"

#include <QLabel>

#include "gui/pictures.h"

namespace kell::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAbout");
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kWidth, kHeight);
    auto* picture = new QLabel(this);
    picture->setObjectName("ImageAbout");
    picture->setGeometry(0, 0, kWidth, kHeight);
    picture->setPixmap(Picture(picture::kAbout, picture->size()));
}

}  // namespace kell::gui
