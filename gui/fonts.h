#pragma once

#include <QFont>

namespace kell::gui {

// The windows' own font: a plain sans face at 8 points.
QFont WindowFont();
// The window font at a fixed height in pixels (the big labels), so that it keeps its place in
// the fixed layout whatever the screen's resolution.
QFont PixelFont(int pixels, bool bold = false);

}  // namespace kell::gui
