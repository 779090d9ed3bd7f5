#include "gui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <exception>
#include <vector>

#include "app/ventana_brisca.h"
#include "gui/about_dialog.h"
#include "gui/attention_panel.h"
#include "gui/flat_button.h"
#include "gui/fonts.h"
#include "gui/gui_event_pump.h"
#include "gui/pictures.h"
#include "gui/placement.h"
#include "gui/port_panel.h"

namespace kell::gui {
namespace {

constexpr int kInfoLeft = 224;
constexpr int kInfoWidth = 369;  // to the right edge of the panels
constexpr int kInfoHeight = 46;  // room for a line that wraps once
constexpr int kVersionRight = 593;

QLabel* AddLabel(QWidget* parent, const char* name, QRect geometry, const QFont& font) {
    QLabel* label = Place(new QLabel(parent), name, geometry);
    label->setFont(font);
    // The lines lie partly over the search button; clicks go through them to it.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QLabel* AddPicture(QWidget* parent, const char* name, QRect geometry, const char* picture) {
    QLabel* label = Place(new QLabel(parent), name, geometry);
    if (picture)
        label->setPixmap(Picture(QString::fromLatin1(picture), geometry.size()));
    return label;
}

}  // namespace

MainWindow::MainWindow(Tventana_brisca& model, GuiEventPump& pump, QWidget* parent)
    : QMainWindow(parent), model_(model), pump_(pump) {
    setObjectName("ventana_brisca");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    setWindowIcon(QIcon(Picture(picture::kApplicationIcon, QSize(256, 256))));
    run_ = [this](const std::function<void()>& handler) { Run(handler); };

    BuildControls();
    BuildMenus();
    // Client area sized to its contents; the window cannot be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    watch_ = new QTimer(this);
    watch_->setObjectName("Timer_desconexion");
    connect(watch_, &QTimer::timeout, this, &MainWindow::OnWatchTick);
    binder_.Add([this] {
        const Timer& timer = model_.controls.Timer_desconexion;
        if (watch_->interval() != static_cast<int>(timer.intervalMs))
            watch_->setInterval(static_cast<int>(timer.intervalMs));
        if (timer.enabled != watch_->isActive())
            timer.enabled ? watch_->start() : watch_->stop();
    });
    binder_.Add([this] {
        const QString caption = QString::fromStdString(model_.controls.Caption);
        if (windowTitle() != caption)
            setWindowTitle(caption);
    });

    model_.hooks.showAbout = [this] {
        AboutDialog about(this);
        about.exec();
    };
    model_.hooks.openDocument = [](const std::string& document) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(
            QDir::current().absoluteFilePath(QString::fromStdString(document))));
    };
    if (!model_.hooks.endProcess)
        model_.hooks.endProcess = [](int exitCode) { QCoreApplication::exit(exitCode); };

    refreshId_ = pump_.AddRefresh([this] { Refresh(); });
    Refresh();
}

MainWindow::~MainWindow() {
    pump_.RemoveRefresh(refreshId_);
    model_.hooks = {};
}

void MainWindow::BuildControls() {
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(kClientWidth, kClientHeight);
    // The background picture's own shading, continued over the strips it leaves uncovered.
    QLinearGradient shade(0, 0, 0, 400);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(0.7, QColor(0xee, 0xf3, 0xf8));
    shade.setColorAt(1, QColor(0xdf, 0xe6, 0xee));
    QPalette palette = client_->palette();
    palette.setBrush(QPalette::Window, QBrush(shade));
    client_->setPalette(palette);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);
    QWidget* c = client_;
    Tventana_brisca& m = model_;

    // Stacked as listed: later controls lie over earlier ones.
    binder_.Bind(AddPicture(c, "Fondo", {0, 0, 600, 400}, picture::kBackground),
                 static_cast<const Control&>(m.controls.Fondo));
    binder_.Bind(AddPicture(c, "Image_bsa", {0, 0, 601, 401}, picture::kBackground),
                 static_cast<const Control&>(m.controls.Image_bsa));
    // The model's picture stays while the update runs: it lies under the action picture and
    // the progress caption, which must stay readable.
    binder_.Bind(AddPicture(c, "Image_Tesk", {0, 200, 273, 137}, picture::kModelTesk),
                 static_cast<const Control&>(m.controls.Image_Tesk));
    binder_.Bind(AddPicture(c, "Image_Orvo", {0, 200, 273, 137}, picture::kModelOrvo),
                 static_cast<const Control&>(m.controls.Image_Orvo));
    std::vector<QPixmap> actions;
    for (int index = 0; index < kActionPictureCount; ++index)
        actions.push_back(ActionPicture(index));
    binder_.Bind(AddPicture(c, "Image_accion", {40, 144, 128, 128}, nullptr),
                 m.controls.Image_accion, [actions = std::move(actions)](int index) {
                     return index >= 0 && index < kActionPictureCount
                                ? actions[static_cast<std::size_t>(index)]
                                : ActionPicture(index);
                 });

    binder_.Bind(AddPicture(c, "Image_buscar_puerto", {280, 144, 128, 128}, picture::kSearchButton),
                 static_cast<const Control&>(m.controls.Image_buscar_puerto));
    auto* search = Place(new FlatButton(c), "Button_buscar_puerto", {280, 144, 128, 128});
    binder_.Bind(search, m.controls.Button_buscar_puerto);
    connect(search, &QAbstractButton::clicked,
            [this] { Run([this] { model_.Button_buscar_puertoClick(); }); });

    const int numberTops[] = {64, 112, 168};
    const char* numberNames[] = {"Label_n1", "Label_n2", "Label_n3"};
    Label* numbers[] = {&m.controls.Label_n1, &m.controls.Label_n2, &m.controls.Label_n3};
    const int infoTops[] = {72, 120, 168};
    const char* infoNames[] = {"Label_info1", "Label_info2", "Label_info3"};
    HintedLabel* infos[] = {&m.controls.Label_info1, &m.controls.Label_info2,
                            &m.controls.Label_info3};
    for (int i = 0; i < 3; ++i) {
        binder_.Bind(AddLabel(c, numberNames[i], {192, numberTops[i], 32, 40}, PixelFont(32, true)),
                     *numbers[i]);
        QLabel* info = AddLabel(c, infoNames[i], {kInfoLeft, infoTops[i], kInfoWidth, kInfoHeight},
                                PixelFont(16));
        info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        info->setWordWrap(true);
        binder_.Bind(info, *infos[i]);
    }
    QLabel* version =
        AddLabel(c, "Label1", {kVersionRight - 300, 36, 300, 24}, PixelFont(19, true));
    version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    binder_.Bind(version, m.controls.Label1);

    binder_.Bind(AddPicture(c, "Image_salir", {0, 334, 32, 32}, picture::kExitButton),
                 static_cast<const Control&>(m.controls.Image_salir));
    auto* exit = Place(new FlatButton(c), "SpeedButton_exit", {0, 334, 32, 32});
    binder_.Bind(exit, m.controls.SpeedButton_exit);
    connect(exit, &QAbstractButton::clicked,
            [this] { Run([this] { model_.SpeedButton_exitClick(); }); });

    QLabel* progress = AddLabel(c, "Label_progreso_general", {40, 304, 521, 24}, PixelFont(16));
    binder_.Bind(progress, m.controls.Label_progreso_general);
    for (auto [name, model] : {std::pair{"ProgressBar_general", &m.controls.ProgressBar_general},
                               std::pair{"Barra_progreso", &m.controls.Barra_progreso}}) {
        auto* bar = Place(new QProgressBar(c), name, {40, 336, 521, 25});
        bar->setTextVisible(false);
        binder_.Bind(bar, *model);
    }

    const std::pair<const char*, CheckBox*> marks[] = {
        {"Check_teclado", &m.controls.Check_teclado},
        {"Check_borrar", &m.controls.Check_borrar},
        {"Check_configuracion", &m.controls.Check_configuracion},
        {"Check_planes", &m.controls.Check_planes},
        {"Check_fpga", &m.controls.Check_fpga},
        {"Check_firmware", &m.controls.Check_firmware},
        {"Check_mpeg4_apl", &m.controls.Check_mpeg4_apl},
    };
    int left = 40;
    for (auto [name, model] : marks) {
        binder_.Bind(Place(new QCheckBox(c), name, {left, 368, 75, 17}), *model);
        left += 76;
    }

    auto* port = new PortPanel(m, binder_, run_, c);
    port->move(8, 64);
    auto* attention = new AttentionPanel(m, binder_, run_, c);
    attention->move(8, 64);
}

void MainWindow::BuildMenus() {
    Tventana_brisca& m = model_;
    QMenuBar* bar = menuBar();
    bar->setObjectName("MenuPrincipal");

    auto addMenu = [&](const char* name, const MenuItem& model) {
        QMenu* menu = bar->addMenu(QString());
        menu->setObjectName(QString::fromLatin1(name));
        binder_.Bind(menu, model);
        return menu;
    };
    auto addItem = [&](QMenu* menu, const char* name, const MenuItem& model, bool checkable,
                       std::function<void()> handler) {
        QAction* action = menu->addAction(QString());
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(checkable);
        binder_.Bind(action, model);
        connect(action, &QAction::triggered,
                [this, handler = std::move(handler)] { Run(handler); });
        return action;
    };

    QMenu* file = addMenu("MenuArchivo", m.controls.MenuArchivo);
    addItem(file, "Actualizar1", m.controls.Actualizar1, false, [&m] { m.Actualizar1Click(); });
    addItem(file, "MenuSalir", m.controls.MenuSalir, false, [&m] { m.MenuSalirClick(); });

    configure_ = addMenu("MenuConfigurar", m.controls.MenuConfigurar);
    addItem(configure_, "Auto1", m.controls.Auto1, true, [&m] { m.Auto1Click(); });
    addItem(configure_, "MenuPuerto", m.controls.MenuPuerto, true, [&m] { m.MenuPuertoClick(); });

    QMenu* help = addMenu("MenuAyuda", m.controls.MenuAyuda);
    addItem(help, "Ayuda", m.controls.Ayuda, false, [&m] { m.AyudaClick(); });
    addItem(help, "About1", m.controls.About1, false, [&m] { m.About1Click(); });
}

QAction* MainWindow::AddServiceAction(const QString& caption, std::function<void()> open) {
    if (!serviceSeparator_)
        serviceSeparator_ = configure_->addSeparator();
    QAction* action = configure_->addAction(caption);
    // Closed to a second operation the same way as the menu it sits in.
    binder_.Add([this, action] { action->setEnabled(model_.controls.MenuConfigurar.enabled); });
    connect(action, &QAction::triggered, [this, open = std::move(open)] { Run(open); });
    Refresh();
    return action;
}

void MainWindow::Refresh() {
    binder_.Refresh();
}

void MainWindow::Run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        model_.seams.notifier.MessageBox(error.what(), kApplicationTitle, MessageButtons::Ok);
    }
    Refresh();
}

void MainWindow::OnWatchTick() {
    if (watching_ || !model_.controls.Timer_desconexion.enabled)
        return;
    watching_ = true;
    Run([this] { model_.Mira_desconexion(); });
    watching_ = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!model_.FormCloseQuery()) {
        event->ignore();
        return;
    }
    model_.FormClose();
    event->accept();
}

}  // namespace kell::gui
