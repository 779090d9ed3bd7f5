#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

using MenuCaptionsTest = GuiTest;

QString Title(const GuiWorld& world, const char* menu) {
    return world.Find<QMenu>(menu)->title();
}
QString Text(const GuiWorld& world, const char* item) {
    return world.Find<QAction>(item)->text();
}

TEST_F(MenuCaptionsTest, TheMenusShowTheLanguageFilesCaptions) {
    QTemporaryDir dir;
    QFile file(dir.filePath("idiomas.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[COMUN]\nIDIOMA=FR\n[FR]\nMENU1=Fichier\nMENU1_L1=Mettre \xC3\xA0 jour\n"
        "MENU1_L2=Quitter\nMENU2=R\xC3\xA9glages\nMENU2_L1=Automatique\n"
        "MENU2_L2=Manuel\nMENU3=Aide\nMENU3_L1=Aide\nMENU3_L2=\xC3\x80 propos\n");
    file.close();

    GuiWorld world(file.fileName().toStdString());
    EXPECT_EQ(Title(world, "MenuArchivo"), "Fichier");
    EXPECT_EQ(Text(world, "Actualizar1"), QString::fromUtf8("Mettre à jour"));
    EXPECT_EQ(Text(world, "MenuSalir"), "Quitter");
    EXPECT_EQ(Title(world, "MenuConfigurar"), QString::fromUtf8("Réglages"));
    EXPECT_EQ(Text(world, "Auto1"), "Automatique");
    EXPECT_EQ(Text(world, "MenuPuerto"), "Manuel");
    EXPECT_EQ(Title(world, "MenuAyuda"), "Aide");
    EXPECT_EQ(Text(world, "About1"), QString::fromUtf8("À propos"));
}

TEST_F(MenuCaptionsTest, WithoutALanguageFileTheBuiltInCaptionsShow) {
    QTemporaryDir dir;
    GuiWorld world(dir.filePath("idiomas.ini").toStdString());
    EXPECT_EQ(Title(world, "MenuArchivo"), "Archivo");
    EXPECT_EQ(Text(world, "Actualizar1"), "Actualizar");
    EXPECT_EQ(Text(world, "MenuSalir"), "Salir");
    EXPECT_EQ(Title(world, "MenuConfigurar"), "Configurar");
    EXPECT_EQ(Text(world, "Auto1"), "Auto");
    EXPECT_EQ(Text(world, "MenuPuerto"), "Manual");
    EXPECT_EQ(Title(world, "MenuAyuda"), "Ayuda");
    EXPECT_EQ(Text(world, "Ayuda"), "Ayuda");
    EXPECT_EQ(Text(world, "About1"), "Acerca de");
    // The info lines are empty then, except the version line.
    EXPECT_EQ(world.Find<QLabel>("Label_info1")->text(), "");
    EXPECT_EQ(world.Find<QLabel>("Label_info2")->text(), "Version 2.04");
}

}  // namespace
}  // namespace kell::testing
