#include "gui/fonts.h"

namespace kell::gui {

QFont WindowFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFont PixelFont(int pixels, bool bold) {
    QFont font = WindowFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace kell::gui
