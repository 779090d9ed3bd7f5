#include "gui/fpga_dialog.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "gui/file_filter.h"
#include "gui/flat_button.h"
#include "gui/fonts.h"
#include "gui/pictures.h"
#include "gui/placement.h"

namespace kell::gui {
namespace {

QLabel* Caption(QWidget* parent, const char* text, QRect geometry) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(geometry);
    return label;
}

QPushButton* StepButton(QWidget* parent, const char* name, const char* text, QRect geometry,
                        const char* hint) {
    auto* button = Place(new QPushButton(QString::fromLatin1(text), parent), name, geometry);
    button->setToolTip(QString::fromLatin1(hint));
    return button;
}

}  // namespace

FpgaDialog::FpgaDialog(FpgaDialogModels models, QWidget* parent)
    : QDialog(parent), models_(std::move(models)) {
    setObjectName("CFpga");
    setWindowTitle(QStringLiteral("Configuracion fpga"));
    setFont(WindowFont());
    setFixedSize(kWidth, kHeight);

    auto* header = Place(new QGroupBox(this), "Group_Cabecera", {8, 8, 376, 56});
    Caption(header, "Numero de configuraciones : ", {12, 22, 180, 22});
    auto* count = Place(new QLineEdit(header), "Edit_n_configuraciones", {196, 20, 60, 24});
    binder_.Bind(count, models_.Edit_n_configuraciones);
    connect(count, &QLineEdit::textEdited, [this](const QString& text) {
        Run([this, text] {
            models_.Edit_n_configuraciones.text = text.toStdString();
            models_.Edit_num_configuraciones();
        });
    });

    auto* files = Place(new QGroupBox(this), "Group_fichero_conf", {8, 72, 376, 168});
    Caption(files, "Fichero:", {12, 26, 60, 20});
    auto* name = Place(new QLabel(files), "Label_nombre", {76, 26, 232, 20});
    name->setFont(PixelFont(13, true));
    binder_.Bind(name, models_.Label_nombre);
    auto* load = StepButton(files, "But_nombre_fichero", "...", {316, 20, 48, 30},
                            "Cargar fichero configuracion");
    connect(load, &QPushButton::clicked, [this] { Run(models_.But_nombre_ficheroClick); });

    Caption(files, "Descripcion:", {12, 66, 80, 20});
    auto* description = Place(new QLineEdit(files), "Edit_descripcion", {96, 64, 120, 24});
    binder_.Bind(description, models_.Edit_descripcion);
    connect(description, &QLineEdit::textEdited, [this](const QString& text) {
        Run([this, text] {
            models_.Edit_descripcion.text = text.toStdString();
            models_.Editar_descripcion();
        });
    });

    auto* previous =
        StepButton(files, "But_anterior", "<", {96, 114, 48, 34}, "Configuracion anterior");
    connect(previous, &QPushButton::clicked, [this] { Run(models_.But_anteriorClick); });
    auto* current = Place(new QLabel(files), "Label_configuracion_actual", {150, 118, 30, 26});
    current->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    current->setFont(PixelFont(16, true));
    binder_.Bind(current, models_.Label_configuracion_actual);
    auto* slash = Caption(files, "/", {182, 118, 12, 26});
    slash->setAlignment(Qt::AlignCenter);
    slash->setFont(PixelFont(16, true));
    auto* total = Place(new QLabel(files), "Label_cantidad_configuraciones", {196, 118, 30, 26});
    total->setFont(PixelFont(16, true));
    binder_.Bind(total, models_.Label_cantidad_configuraciones);
    auto* next =
        StepButton(files, "But_siguiente", ">", {232, 114, 48, 34}, "Configuracion siguiente");
    connect(next, &QPushButton::clicked, [this] { Run(models_.But_siguienteClick); });

    auto* status = Place(new QLabel(this), "Lbl_estado_fpga", {8, 250, 376, 22});
    status->setAlignment(Qt::AlignCenter);
    binder_.Bind(status, models_.Lbl_estado_fpga);

    auto* ok = AddImageButton(this, "Button_ok", picture::kButtonOk,
                              {110, 286, kImageButtonSide, kImageButtonSide});
    ok->setToolTip(QStringLiteral("Grabar configuraciones en flash"));
    connect(ok, &QAbstractButton::clicked, [this] { Run(models_.Button_okClick); });
    auto* cancel = AddImageButton(this, "Button_cancel", picture::kButtonCancel,
                                  {218, 286, kImageButtonSide, kImageButtonSide});
    cancel->setToolTip(QStringLiteral("Cancelar"));
    connect(cancel, &QAbstractButton::clicked, [this] { Run(models_.Button_cancelClick); });

    Refresh();
}

void FpgaDialog::Refresh() {
    binder_.Refresh();
    if (models_.open && !models_.open() && isVisible())
        accept();
}

void FpgaDialog::Run(const std::function<void()>& handler) {
    if (handler)
        handler();
    Refresh();
}

std::string FpgaDialog::ChooseConfigurationFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), QtFileFilter(kFileFilter))
        .toStdString();
}

}  // namespace kell::gui
