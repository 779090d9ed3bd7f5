#include "gui/port_panel.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/ventana_brisca.h"
#include "gui/binder.h"
#include "gui/fonts.h"
#include "gui/pictures.h"
#include "gui/port_combo_box.h"

namespace kell::gui {
namespace {

constexpr int kRadioItems = 6;
constexpr int kRadioRows = 3;  // two columns, filled down first

}  // namespace

PortPanel::PortPanel(Tventana_brisca& model, Binder& binder, const RunHandler& run, QWidget* parent)
    : HeadedPanel(Qt::black, "Label2", parent) {
    setObjectName("PConfigurarPuerto");
    binder.Bind(static_cast<QWidget*>(this), model.controls.PConfigurarPuerto);
    binder.Bind(Title(), model.controls.Label2);

    auto* picture = new QLabel(this);
    picture->setObjectName("Image_puerto");
    picture->setGeometry(24, 86, kActionPictureSide, kActionPictureSide);
    picture->setPixmap(Picture(picture::kPort, picture->size()));
    binder.Bind(static_cast<QWidget*>(picture), model.controls.Image_puerto);

    group_ = new QGroupBox(this);
    group_->setObjectName("COM");
    group_->setGeometry(176, 60, 220, 124);
    group_->setFont(PixelFont(19, true));
    buttons_ = new QButtonGroup(group_);
    for (int i = 0; i < kRadioItems; ++i) {
        auto* item = new QRadioButton(group_);
        item->setObjectName(QStringLiteral("COM_%1").arg(i));
        item->setGeometry(16 + (i / kRadioRows) * 100, 28 + (i % kRadioRows) * 30, 90, 28);
        buttons_->addButton(item, i);
    }
    binder.Bind(group_, buttons_, model.controls.COM);
    QObject::connect(buttons_, &QButtonGroup::idClicked, [&model, run](int id) {
        run([&model, id] {
            model.controls.COM.itemIndex = id;
            model.COM_Click();
        });
    });

    auto* label = new QLabel(this);
    label->setObjectName("Label3");
    label->setGeometry(176, 200, 60, 28);
    label->setFont(PixelFont(16));
    binder.Bind(label, model.controls.Label3);

    combo_ = new PortComboBox(this);
    combo_->setObjectName("Com_extended");
    combo_->setGeometry(236, 196, 248, 34);
    // The list is wider than the box, so that long device names show whole.
    combo_->view()->setMinimumWidth(420);
    combo_->setFont(PixelFont(19, true));
    // The model's entries name the device behind each port already.
    binder.Bind(combo_, model.controls.Com_extended);
    combo_->onEnter = [&model, run] { run([&model] { model.Com_extendedChange(); }); };
    QObject::connect(combo_, &QComboBox::activated, [&model, run](int index) {
        run([&model, index] {
            ComboBox& combo = model.controls.Com_extended;
            if (index < 0 || index >= static_cast<int>(combo.items.size()))
                return;
            combo.itemIndex = index;
            combo.text = combo.items[static_cast<std::size_t>(index)];
            model.Com_extended_select();
        });
    });

    auto* ok = new QPushButton(this);
    ok->setObjectName("BConfigurarPuerto");
    ok->setGeometry(496, 193, 75, 41);
    binder.Bind(ok, model.controls.BConfigurarPuerto);
    QObject::connect(ok, &QPushButton::clicked,
                     [&model, run] { run([&model] { model.BConfigurarPuertoClick(); }); });
}

}  // namespace kell::gui
