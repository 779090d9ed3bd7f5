#include "gui/defaults_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <tuple>
#include <vector>

#include "gui/flat_button.h"
#include "gui/fonts.h"
#include "gui/pictures.h"
#include "gui/placement.h"

namespace kell::gui {
namespace {

constexpr int kRowHeight = 22;
constexpr int kGroupTitleHeight = 22;

}  // namespace

DefaultsDialog::DefaultsDialog(DefaultsDialogModels models, QWidget* parent)
    : QDialog(parent), models_(std::move(models)) {
    setObjectName("FParam_defecto");
    setWindowTitle(QStringLiteral("Parametros por defecto"));
    setFont(WindowFont());
    setFixedSize(kWidth, kHeight);

    // The radio groups keep the user's choice in their models.
    auto radioGroup = [this](const char* name, RadioGroup& model, QRect geometry) {
        auto* box = Place(new QGroupBox(this), name, geometry);
        auto* buttons = new QButtonGroup(box);
        for (int i = 0; i < static_cast<int>(model.items.size()); ++i) {
            auto* item = new QRadioButton(box);
            item->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
            item->setGeometry(12, kGroupTitleHeight + i * kRowHeight, geometry.width() - 20,
                              kRowHeight);
            buttons->addButton(item, i);
        }
        binder_.Bind(box, buttons, model);
        connect(buttons, &QButtonGroup::idClicked,
                [this, &model](int id) { Run([&model, id] { model.itemIndex = id; }); });
    };
    radioGroup("RadioGroup_modelo", models_.RadioGroup_modelo, {8, 8, 160, 116});
    radioGroup("RadioGroup_idioma", models_.RadioGroup_idioma, {8, 132, 160, 160});

    // The right-hand column, framed by two silver rectangles.
    for (QRect frame : {QRect(178, 2, 332, 332), QRect(180, 4, 328, 328)}) {
        auto* shape = new QFrame(this);
        shape->setGeometry(frame);
        shape->setFrameShape(QFrame::Box);
        QPalette silver = shape->palette();
        silver.setColor(QPalette::WindowText, QColor(192, 192, 192));
        shape->setPalette(silver);
    }
    struct Box {
        const char* name;
        const char* caption;
        int top;
        std::vector<std::pair<const char*, CheckBox*>> checks;
    };
    const Box boxes[] = {
        {"GroupBox_Grabar_en_Eeprom",
         " Grabar Eeprom ",
         8,
         {{"check_grabar_conf_fabrica", &models_.check_grabar_conf_fabrica},
          {"check_grabar_conf_actual", &models_.check_grabar_conf_actual},
          {"check_grabar_perfiles", &models_.check_grabar_perfiles}}},
        {"GroupBox_Borrar_en_Eeprom",
         "Borrar Eeprom ",
         100,
         {{"check_borrar_incidencias", &models_.check_borrar_incidencias}}},
        {"GroupBox_Borrar_en_Flash",
         " Borrar Flash ",
         148,
         {{"check_borrar_tablas", &models_.check_borrar_tablas},
          {"check_borrar_memorias", &models_.check_borrar_memorias},
          {"check_borrar_macromedidas", &models_.check_borrar_macromedidas},
          {"check_borrar_logs", &models_.check_borrar_logs}}},
        {"GroupBox_Grabar_en_flash",
         " Grabar Flash ",
         262,
         {{"check_grabar_planes", &models_.check_grabar_planes},
          {"check_grabar_opciones", &models_.check_grabar_opciones}}},
    };
    for (const Box& box : boxes) {
        const QRect geometry(188, box.top, 312,
                             kGroupTitleHeight + static_cast<int>(box.checks.size()) * kRowHeight);
        auto* group =
            Place(new QGroupBox(QString::fromLatin1(box.caption), this), box.name, geometry);
        int top = kGroupTitleHeight - 2;
        for (auto [name, model] : box.checks) {
            auto* check = Place(new QCheckBox(group), name, {12, top, 290, kRowHeight - 2});
            binder_.Bind(check, *model);
            connect(check, &QCheckBox::clicked, [this, model](bool checked) {
                Run([model, checked] { model->checked = checked; });
            });
            top += kRowHeight;
        }
    }

    for (auto [name, model, top] : {std::tuple{"Panel_estado", &models_.Panel_estado, 340},
                                    std::tuple{"Panel_accion", &models_.Panel_accion, 364}}) {
        auto* panel = Place(new QLabel(this), name, {8, top, kWidth - 16, 22});
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        panel->setTextFormat(Qt::PlainText);
        binder_.Add([panel, model = model] {
            const QString caption = QString::fromStdString(model->caption);
            if (panel->text() != caption)
                panel->setText(caption);
        });
    }

    for (auto [name, picture, left, handler] :
         {std::tuple{"Button_ok", picture::kButtonOk, 150, &models_.Button_okClick},
          std::tuple{"Button_cancel", picture::kButtonCancel, 300, &models_.Button_cancelClick}}) {
        auto* button =
            AddImageButton(this, name, picture, {left, 392, kImageButtonSide, kImageButtonSide});
        connect(button, &QAbstractButton::clicked, [this, handler = handler] { Run(*handler); });
    }

    Refresh();
}

void DefaultsDialog::Refresh() {
    binder_.Refresh();
    if (models_.open && !models_.open() && isVisible())
        accept();
}

void DefaultsDialog::Run(const std::function<void()>& handler) {
    if (handler)
        handler();
    Refresh();
}

}  // namespace kell::gui
