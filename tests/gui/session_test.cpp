// A user's path through a search and an update, clicked on the window's own controls, against
// the simulated meter. The handlers of the port search come with the model's search layer and
// the whole session with its update sequence; until then these tests are skipped.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/model_handlers.h"
#include "tests/gui/gui_world.h"

namespace kell::gui::testing {
namespace {

constexpr bool kSearchBound = pending::kHasButton_buscar_puertoClick<Tventana_brisca>;
// Switched on when the model runs whole update sessions.
constexpr bool kUpdateSequenceInModel = false;

class SessionTest : public GuiTest {
  protected:
    void PressSearch() { QTest::mouseClick(world.Find("Button_buscar_puerto"), Qt::LeftButton); }
    QString Info(const char* name) const { return world.Find<QLabel>(name)->text(); }
    // Plays the user who answers every question of the attention panel with `ok`, and takes a
    // picture of the window the first time both bars of an update show.
    void AnswerQuestions(bool ok) {
        auto* user = new QTimer(world.window.get());
        QObject::connect(user, &QTimer::timeout, [this, ok] {
            if (!shotUpdating_ && world.Find("ProgressBar_general")->isVisible() &&
                world.Find("Barra_progreso")->isVisible()) {
                QDir().mkpath(KELL_SCREENSHOT_DIR);
                world.window->grab().save(
                    QStringLiteral("%1/session_updating.png").arg(KELL_SCREENSHOT_DIR));
                shotUpdating_ = true;
            }
            if (world.Find("Panel_atencion")->isVisible())
                QTest::mouseClick(
                    world.Find<QPushButton>(ok ? "Button_atencion_ok" : "Button_atencion_cancel"),
                    Qt::LeftButton);
        });
        user->start(10);
    }
    static QString Text(const std::string& text) { return QString::fromStdString(text); }

    GuiWorld world;
    bool shotUpdating_ = false;
};

TEST_F(SessionTest, TheFirstPressArmsTheSearchWithNumberedInstructions) {
    if (!kSearchBound)
        GTEST_SKIP() << "Button_buscar_puertoClick is not in the model yet";
    PressSearch();
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_EQ(world.model->Image_accion.index, kPictureArmed);
    EXPECT_TRUE(world.Find("Label_n1")->isVisible());
    EXPECT_EQ(Info("Label_info1"), Text(texts.PASO2_L1));
    EXPECT_EQ(Info("Label_info3"), Text(texts.PASO2_L3));
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible());
}

TEST_F(SessionTest, ASearchWithoutAMeterEndsWithTheCableAndTheSearchButtonBack) {
    if (!kSearchBound)
        GTEST_SKIP() << "Button_buscar_puertoClick is not in the model yet";
    // Port 1 exists, nothing answers on it.
    PressSearch();
    PressSearch();
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_FALSE(world.model->connected);
    EXPECT_EQ(world.model->Image_accion.index, kPictureNotFound);
    EXPECT_EQ(Info("Label_info1"), Text(texts.P6_E1_L1));
    EXPECT_FALSE(world.Find("Label_n1")->isVisible());
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible());
    EXPECT_TRUE(world.Find<QMenu>("MenuArchivo")->menuAction()->isEnabled());
}

TEST_F(SessionTest, TheMenuStartsTheSearchAtOnce) {
    if (!pending::kHasActualizar1Click<Tventana_brisca>)
        GTEST_SKIP() << "Actualizar1Click is not in the model yet";
    world.Find<QAction>("Actualizar1")->trigger();
    EXPECT_EQ(world.model->Image_accion.index, kPictureNotFound);
    EXPECT_EQ(world.model->failedSearches, 1);
}

TEST_F(SessionTest, TheSearchFindsTheSimulatedMeter) {
    if (!kSearchBound)
        GTEST_SKIP() << "Button_buscar_puertoClick is not in the model yet";
    sim::Instrument& meter = world.AttachMeter("up-to-date");
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_GT(meter.RtsPulses(), 0);
    EXPECT_FALSE(world.model->identityAtConnect.empty());
    EXPECT_TRUE(meter.Violations().Empty()) << meter.Report();
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible()) << "the search has ended";
}

TEST_F(SessionTest, AWholeUpdateClickedThroughTheWindow) {
    if (!kUpdateSequenceInModel)
        GTEST_SKIP() << "the update sequence is not in the model yet";
    sim::Instrument& meter = world.AttachMeter("full-update");
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_EQ(world.model->resultCode, 0) << meter.Report();
    EXPECT_EQ(world.model->Image_accion.index, kPictureUpdated);
    EXPECT_TRUE(meter.Violations().Empty()) << meter.Report();
    EXPECT_TRUE(shotUpdating_) << "both bars showed while the update ran";
    EXPECT_FALSE(world.model->sessionRunning);
    EXPECT_TRUE(world.window->close()) << "the window closes again once the session ended";
}

TEST_F(SessionTest, TheWatchEndsTheLinkWhenTheMeterLeaves) {
    if (!pending::kHasMira_desconexion<Tventana_brisca>)
        GTEST_SKIP() << "Mira_desconexion is not in the model yet";
    Tventana_brisca& model = *world.model;
    ASSERT_TRUE(model.monitorPSerie.Configure(1, model.PortSettings));
    model.connected = true;
    model.Timer_desconexion.enabled = true;
    world.pump.PumpOnce();
    const std::uint8_t stray = 0x41;
    world.line.SendToHost(&stray, 1);
    world.clock.SleepMs(5);
    world.Settle(250);
    EXPECT_TRUE(model.connected) << "a byte other than 0x0A is dropped";

    const std::uint8_t leaving = 0x0A;
    world.line.SendToHost(&leaving, 1);
    world.clock.SleepMs(5);
    world.Settle(250);
    EXPECT_FALSE(model.connected);
    EXPECT_FALSE(model.Timer_desconexion.enabled);
}

}  // namespace
}  // namespace kell::gui::testing
