#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace kell::gui {

// The program's pictures, drawn as vector art and carried as resources. A control renders its
// picture once, at its own size, and keeps it.
namespace picture {
inline constexpr const char* kBackground = "background";
inline constexpr const char* kSearchButton = "search_button";
inline constexpr const char* kExitButton = "exit_button";
inline constexpr const char* kPort = "port";
inline constexpr const char* kModelOrvo = "model_orvo";
inline constexpr const char* kModelTesk = "model_tesk";
inline constexpr const char* kAbout = "about";
inline constexpr const char* kApplicationIcon = "kell-update";
inline constexpr const char* kUpdateCorrect = "update_correct";
inline constexpr const char* kButtonOk = "button_ok";
inline constexpr const char* kButtonCancel = "button_cancel";
}  // namespace picture

// The picture `name` at `size`; a null pixmap when there is no such picture.
QPixmap Picture(const QString& name, QSize size);

// Picture `index` of the action list (ImageList_acciones), 128 x 128; a blank picture for an
// index outside the list, so that a wrong index shows nothing rather than failing.
QPixmap ActionPicture(int index);

inline constexpr int kActionPictureSide = 128;

}  // namespace kell::gui
