#include "gui/headed_panel.h"

#include <QLabel>

#include "gui/fonts.h"

namespace kell::gui {
namespace {

void Paint(QWidget* widget, QColor background, QColor text = Qt::black) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

HeadedPanel::HeadedPanel(QColor headerColour, const char* titleName, QWidget* parent)
    : QFrame(parent) {
    resize(kWidth, kHeight);
    Paint(this, Qt::white);
    auto* header = new QWidget(this);
    header->setGeometry(0, 0, kWidth, kHeaderHeight);
    Paint(header, headerColour, Qt::white);
    title_ = new QLabel(header);
    title_->setObjectName(QString::fromLatin1(titleName));
    title_->setGeometry(16, 0, kWidth - 32, kHeaderHeight);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title_->setFont(PixelFont(19, true));
}

}  // namespace kell::gui
