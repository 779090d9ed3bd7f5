#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>

#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using LayoutTest = GuiTest;

TEST_F(LayoutTest, TheWindowHasAFixedClientAreaAndItsCaption) {
    GuiWorld world;
    MainWindow& window = *world.window;
    EXPECT_EQ(window.Client()->size(), QSize(609, 455));
    EXPECT_EQ(window.windowTitle(), "Update_v2.04 (Kell Series)");
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the window must not resize";
    EXPECT_EQ(window.Client()->mapTo(&window, QPoint(0, 0)).y(), window.menuBar()->height());

    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(LayoutTest, EveryControlSitsAtItsPlace) {
    GuiWorld world;
    const struct {
        const char* name;
        QRect geometry;
    } places[] = {
        {"Fondo", {0, 0, 600, 400}},
        {"Image_bsa", {0, 0, 601, 401}},
        {"Image_accion", {40, 144, 128, 128}},
        {"Image_buscar_puerto", {280, 144, 128, 128}},
        {"Button_buscar_puerto", {280, 144, 128, 128}},
        {"Image_salir", {0, 334, 32, 32}},
        {"SpeedButton_exit", {0, 334, 32, 32}},
        {"ProgressBar_general", {40, 336, 521, 25}},
        {"Barra_progreso", {40, 336, 521, 25}},
        {"Image_Tesk", {0, 200, 273, 137}},
        {"Image_Orvo", {0, 200, 273, 137}},
        {"PConfigurarPuerto", {8, 64, 585, 257}},
        {"Panel_atencion", {8, 64, 585, 257}},
    };
    for (const auto& place : places) {
        QWidget* widget = world.Find(place.name);
        ASSERT_NE(widget, nullptr) << place.name;
        EXPECT_EQ(widget->parentWidget(), world.window->Client()) << place.name;
        EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    }
    const struct {
        const char* name;
        QPoint position;
        int pixelSize;
        bool bold;
    } labels[] = {
        {"Label_n1", {192, 64}, 32, true},
        {"Label_n2", {192, 112}, 32, true},
        {"Label_n3", {192, 168}, 32, true},
        {"Label_info1", {224, 72}, 16, false},
        {"Label_info2", {224, 120}, 16, false},
        {"Label_info3", {224, 168}, 16, false},
        {"Label_progreso_general", {40, 304}, 16, false},
    };
    for (const auto& label : labels) {
        auto* widget = world.Find<QLabel>(label.name);
        ASSERT_NE(widget, nullptr) << label.name;
        EXPECT_EQ(widget->pos(), label.position) << label.name;
        EXPECT_EQ(widget->font().pixelSize(), label.pixelSize) << label.name;
        EXPECT_EQ(widget->font().bold(), label.bold) << label.name;
    }
    auto* version = world.Find<QLabel>("Label1");
    EXPECT_TRUE(version->font().bold());
    EXPECT_EQ(version->font().pixelSize(), 19);
    EXPECT_EQ(version->y(), 36);
    EXPECT_TRUE(version->alignment() & Qt::AlignRight);
    EXPECT_EQ(world.window->font().pointSize(), 8);
}

TEST_F(LayoutTest, TheControlsStartAsTheModelSets) {
    GuiWorld world;
    for (const char* hidden :
         {"Image_bsa", "Label_n1", "Label_n2", "Label_n3", "Label_progreso_general",
          "ProgressBar_general", "Barra_progreso", "Image_Tesk", "Image_Orvo", "PConfigurarPuerto",
          "Panel_atencion", "Check_teclado", "Check_mpeg4_apl"})
        EXPECT_FALSE(world.Find(hidden)->isVisible()) << hidden;
    for (const char* shown : {"Fondo", "Image_accion", "Button_buscar_puerto",
                              "Image_buscar_puerto", "Label_info1", "Label1", "SpeedButton_exit"})
        EXPECT_TRUE(world.Find(shown)->isVisible()) << shown;
    EXPECT_EQ(world.Find<QLabel>("Label1")->text(), "Version 2.04");
    EXPECT_EQ(world.Find<QLabel>("Label_info2")->text(), "Version 2.04");
    EXPECT_EQ(world.Find<QLabel>("Label_info1")->text(),
              QString::fromStdString(world.model->texts.PASO1_L1));
    EXPECT_FALSE(world.Find<QLabel>("Image_accion")->pixmap().isNull());
}

TEST_F(LayoutTest, WidgetsFollowTheirModelsOnThePump) {
    GuiWorld world;
    Tventana_brisca& model = *world.model;
    model.controls.Label_info1.caption = "<b>not markup</b>";
    model.controls.ProgressBar_general.visible = true;
    model.controls.ProgressBar_general.SetRange(0, 40);
    model.controls.ProgressBar_general.SetPosition(30);
    model.controls.MenuArchivo.enabled = false;
    model.controls.Button_buscar_puerto.visible = false;
    world.guiPump.PumpOnce();

    auto* info = world.Find<QLabel>("Label_info1");
    EXPECT_EQ(info->text(), "<b>not markup</b>");
    EXPECT_EQ(info->textFormat(), Qt::PlainText);
    auto* bar = world.Find<QProgressBar>("ProgressBar_general");
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(bar->value(), 30);
    EXPECT_FALSE(world.Find<QMenu>("MenuArchivo")->menuAction()->isEnabled());
    EXPECT_FALSE(world.Find("Button_buscar_puerto")->isVisible());

    // The action picture changes with its index, and SetActionPicture shows it at once.
    const QImage before = world.Find<QLabel>("Image_accion")->pixmap().toImage();
    model.SetActionPicture(kPictureFailed, true);
    EXPECT_NE(world.Find<QLabel>("Image_accion")->pixmap().toImage(), before);
    world.guiPump.PumpOnce();
    EXPECT_TRUE(world.Find("Label_n2")->isVisible());
}

TEST_F(LayoutTest, TheMenusCarryTheirItemsAndTheHelpMenuIsHidden) {
    GuiWorld world;
    const QList<QAction*> menus = world.window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_TRUE(menus[0]->isVisible());
    EXPECT_TRUE(menus[1]->isVisible());
    EXPECT_FALSE(menus[2]->isVisible());
    EXPECT_EQ(menus[0]->menu()->objectName(), "MenuArchivo");
    EXPECT_EQ(menus[1]->menu()->objectName(), "MenuConfigurar");
    EXPECT_EQ(menus[2]->menu()->objectName(), "MenuAyuda");

    auto* automatic = world.Find<QAction>("Auto1");
    auto* manual = world.Find<QAction>("MenuPuerto");
    EXPECT_TRUE(automatic->isCheckable() && automatic->isChecked());
    EXPECT_FALSE(manual->isChecked());
    for (const char* item : {"Actualizar1", "MenuSalir", "Ayuda", "About1"})
        EXPECT_NE(world.Find<QAction>(item), nullptr) << item;
}

}  // namespace
}  // namespace kell::testing
