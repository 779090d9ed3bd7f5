#include "gui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include "app/ventana_brisca.h"

namespace kell::gui {
namespace {

// One file per action picture, in the order of ImageList_acciones.
constexpr const char* kActionPictureNames[kActionPictureCount] = {
    "action_0_start",    "action_1_armed", "action_2_searching", "action_3_not_found",
    "action_4_updating", "action_5_done",  "action_6_failed",    "action_7_not_updatable",
};

}  // namespace

QPixmap Picture(const QString& name, QSize size) {
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return pixmap;
}

QPixmap ActionPicture(int index) {
    const QSize side(kActionPictureSide, kActionPictureSide);
    if (index < 0 || index >= kActionPictureCount) {
        QPixmap blank(side);
        blank.fill(Qt::transparent);
        return blank;
    }
    return Picture(QString::fromLatin1(kActionPictureNames[index]), side);
}

}  // namespace kell::gui
