#include "gui/placement.h"

#include <QLabel>

#include "gui/flat_button.h"
#include "gui/pictures.h"

namespace kell::gui {

FlatButton* AddImageButton(QWidget* parent, const char* name, const char* picture, QRect place) {
    auto* image = new QLabel(parent);
    image->setGeometry(place);
    image->setPixmap(Picture(QString::fromLatin1(picture), place.size()));
    return Place(new FlatButton(parent), name, place);
}

}  // namespace kell::gui
