// Writes a picture of the main window at each stage of a session into the build tree
// (screenshots/), for people to look at, and checks that each stage looks different.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/about_dialog.h"
#include "gui/update_notice_dialog.h"
#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

class ScreenshotsTest : public GuiTest {
  protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(KELL_SCREENSHOT_DIR)); }

    QImage Shoot(QWidget* widget, const char* name) {
        world.guiPump.PumpOnce();
        const QImage image = widget->grab().toImage();
        EXPECT_TRUE(image.save(QStringLiteral("%1/%2.png").arg(KELL_SCREENSHOT_DIR, name))) << name;
        return image;
    }
    QImage Shoot(const char* name) { return Shoot(world.window.get(), name); }

    // The info lines as the model's operations set them.
    void Info(const std::string& one, const std::string& two, const std::string& three) {
        world.model->controls.Label_info1.caption = one;
        world.model->controls.Label_info2.caption = two;
        world.model->controls.Label_info3.caption = three;
    }
    void SearchButton(bool visible) {
        world.model->controls.Button_buscar_puerto.visible = visible;
        world.model->controls.Image_buscar_puerto.visible = visible;
    }
    void Menus(bool enabled) {
        for (MenuItem* menu :
             {&world.model->controls.MenuArchivo, &world.model->controls.MenuConfigurar,
              &world.model->controls.MenuAyuda})
            menu->enabled = enabled;
    }
    void Progress(bool visible, int overall, int step) {
        Tventana_brisca& m = *world.model;
        m.controls.Label_progreso_general.visible = visible;
        m.controls.ProgressBar_general.visible = visible;
        m.controls.ProgressBar_general.SetPosition(overall);
        m.controls.Barra_progreso.SetPosition(step);
    }

    GuiWorld world;
};

TEST_F(ScreenshotsTest, EveryStageOfASession) {
    Tventana_brisca& m = *world.model;
    const LocalisedTexts& t = m.texts;
    std::vector<QImage> stages;
    stages.push_back(Shoot("01_start"));

    // Where the window's own handlers reach a stage, they take it there; the stages in the
    // middle of an operation are set as the operation sets them.
    QWidget* search = world.Find("Button_buscar_puerto");
    QTest::mouseClick(search, Qt::LeftButton);
    stages.push_back(Shoot("02_armed"));

    Menus(false);
    m.SetActionPicture(kPictureSearching, false);
    SearchButton(false);
    Info(t.PASO3_L1, t.PASO3_L2 + "3", t.PASO3_L3);
    stages.push_back(Shoot("03_searching"));

    QTest::mouseClick(search, Qt::LeftButton);  // nothing answers on the port
    ASSERT_EQ(m.controls.Image_accion.index, kPictureNotFound);
    stages.push_back(Shoot("04_not_found"));

    m.SetActionPicture(kPictureNotUpdated, false);
    m.controls.Image_Tesk.visible = true;
    Info(t.PASO7_L1, t.PASO7_L2, t.PASO7_L3);
    stages.push_back(Shoot("05_refused"));
    m.controls.Image_Tesk.visible = false;

    world.ports.Set(3, "/dev/ttyS0");
    world.Find<QAction>("MenuPuerto")->trigger();
    m.Com_extendedChange();
    m.controls.Com_extended.itemIndex = 0;
    stages.push_back(Shoot("06_port_panel"));
    world.Find<QAction>("Auto1")->trigger();

    Menus(false);
    SearchButton(false);
    m.SetActionPicture(kPictureUpdating, false);
    m.controls.Image_Orvo.visible = true;
    Info(t.PASO4_L1, t.PASO4_L2, t.PASO4_L3 + ": 3/7");
    QTimer::singleShot(0, [&] {
        stages.push_back(Shoot("07_attention"));
        QTest::mouseClick(world.Find<QPushButton>("Button_atencion_ok"), Qt::LeftButton);
    });
    EXPECT_EQ(
        m.ShowAttention(t.AVISO_HEAD, t.AVISOMEM1, t.AVISOMEM2, t.AVISOMEM3, t.AVISOSI, t.AVISONO),
        1);

    Progress(true, 45, 0);
    stages.push_back(Shoot("08_updating_overall"));
    m.controls.Barra_progreso.visible = true;
    Progress(true, 45, 70);
    stages.push_back(Shoot("09_updating_step"));
    m.controls.Barra_progreso.visible = false;

    Progress(true, 100, 0);
    m.SetActionPicture(kPictureUpdated, false);
    Info(t.PASO5_L1, t.PASO5_L2, t.PASO5_L3);
    SearchButton(true);
    Menus(true);
    stages.push_back(Shoot("10_done"));

    Progress(true, 62, 0);
    m.SetActionPicture(kPictureFailed, false);
    Info(t.P6_E4_L1 + " 18", t.P6_E4_L2, t.P6_E4_L3);
    stages.push_back(Shoot("11_failed"));

    for (std::size_t i = 1; i < stages.size(); ++i)
        EXPECT_NE(stages[i], stages[i - 1]) << "stage " << i + 1 << " looks like the one before";
}

TEST_F(ScreenshotsTest, TheSmallWindows) {
    AboutDialog about(world.window.get());
    about.show();
    EXPECT_EQ(Shoot(&about, "about").size(), QSize(373, 390));
    UpdateNoticeDialog notice(world.window.get());
    notice.show();
    EXPECT_EQ(Shoot(&notice, "update_correct").size(), QSize(192, 96));
}

}  // namespace
}  // namespace kell::testing
