#include "gui/attention_panel.h"

#include <QLabel>
#include <QPushButton>

#include "app/ventana_brisca.h"
#include "gui/binder.h"
#include "gui/fonts.h"

namespace kell::gui {
namespace {

constexpr QColor kMaroon(128, 0, 0);
constexpr int kLineWidth = 569;
constexpr int kLineHeight = 38;  // room for a line that wraps once
constexpr int kFirstLineTop = 60;

}  // namespace

AttentionPanel::AttentionPanel(Tventana_brisca& model, Binder& binder, const RunHandler& run,
                               QWidget* parent)
    : HeadedPanel(kMaroon, "Label_atencion", parent) {
    setObjectName("Panel_atencion");
    binder.Bind(static_cast<QWidget*>(this), model.controls.Panel_atencion);
    binder.Bind(Title(), model.controls.Label_atencion);

    const char* names[] = {"Label_atencion_linea1", "Label_atencion_linea2",
                           "Label_atencion_linea3"};
    Label* models[] = {&model.controls.Label_atencion_linea1, &model.controls.Label_atencion_linea2,
                       &model.controls.Label_atencion_linea3};
    for (int i = 0; i < 3; ++i) {
        QLabel* line = new QLabel(this);
        line->setObjectName(names[i]);
        line->setGeometry((kWidth - kLineWidth) / 2, kFirstLineTop + i * kLineHeight, kLineWidth,
                          kLineHeight);
        line->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        line->setWordWrap(true);
        line->setFont(PixelFont(16, i == 2));
        binder.Bind(line, *models[i]);
        lines_[static_cast<std::size_t>(i)] = line;
    }

    ok_ = new QPushButton(this);
    ok_->setObjectName("Button_atencion_ok");
    ok_->setGeometry(184, 200, 75, 41);
    binder.Bind(ok_, model.controls.Button_atencion_ok);
    QObject::connect(ok_, &QPushButton::clicked,
                     [&model, run] { run([&model] { model.Button_atencion_okClick(); }); });

    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Button_atencion_cancel");
    cancel_->setGeometry(320, 200, 75, 41);
    binder.Bind(cancel_, model.controls.Button_atencion_cancel);
    QObject::connect(cancel_, &QPushButton::clicked,
                     [&model, run] { run([&model] { model.Button_atencion_cancelClick(); }); });
}

}  // namespace kell::gui
