// A user's path through a search and an update, clicked on the window's own controls, against
// the simulated meter.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/gui/gui_world.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

class SessionTest : public GuiTest {
  protected:
    void PressSearch() { QTest::mouseClick(world.Find("Button_buscar_puerto"), Qt::LeftButton); }
    QString Info(const char* name) const { return world.Find<QLabel>(name)->text(); }
    bool Shoot(const char* name) const {
        QDir().mkpath(KELL_SCREENSHOT_DIR);
        return world.window->grab().save(
            QStringLiteral("%1/%2.png").arg(KELL_SCREENSHOT_DIR, QLatin1String(name)));
    }
    // Plays the user who answers every question of the attention panel with `ok`, and takes
    // pictures of the window at the first question and once the overall bar is a third full.
    void AnswerQuestions(bool ok) {
        auto* user = new QTimer(world.window.get());
        QObject::connect(user, &QTimer::timeout, [this, ok] {
            auto* bar = world.Find<QProgressBar>("ProgressBar_general");
            if (!shotUpdating_ && bar->isVisible() && bar->maximum() > 0 &&
                bar->value() * 3 >= bar->maximum())
                shotUpdating_ = Shoot("session_updating");
            if (world.Find("Panel_atencion")->isVisible()) {
                if (!shotQuestion_)
                    shotQuestion_ = Shoot("session_question");
                QTest::mouseClick(
                    world.Find<QPushButton>(ok ? "Button_atencion_ok" : "Button_atencion_cancel"),
                    Qt::LeftButton);
            }
        });
        user->start(10);
    }
    static QString Text(const std::string& text) { return QString::fromStdString(text); }

    GuiWorld world;
    bool shotUpdating_ = false;
    bool shotQuestion_ = false;
};

TEST_F(SessionTest, TheFirstPressArmsTheSearchWithNumberedInstructions) {
    PressSearch();
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureArmed);
    EXPECT_TRUE(world.Find("Label_n1")->isVisible());
    EXPECT_EQ(Info("Label_info1"), Text(texts.PASO2_L1));
    EXPECT_EQ(Info("Label_info3"), Text(texts.PASO2_L3));
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible());
}

TEST_F(SessionTest, ASearchWithoutAMeterEndsWithTheCableAndTheSearchButtonBack) {
    // Port 1 exists, nothing answers on it.
    PressSearch();
    PressSearch();
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_FALSE(world.model->Connection().connected);
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureNotFound);
    EXPECT_EQ(Info("Label_info1"), Text(texts.P6_E1_L1));
    EXPECT_FALSE(world.Find("Label_n1")->isVisible());
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible());
    EXPECT_TRUE(world.Find<QMenu>("MenuArchivo")->menuAction()->isEnabled());
}

TEST_F(SessionTest, TheMenuStartsTheSearchAtOnce) {
    world.Find<QAction>("Actualizar1")->trigger();
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureNotFound);
    EXPECT_EQ(world.model->State().failedSearches, 1);
}

TEST_F(SessionTest, TheSearchFindsTheSimulatedMeter) {
    sim::Instrument& meter = world.AttachMeter("up-to-date");
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_GT(meter.RtsPulses(), 0);
    EXPECT_FALSE(world.model->Identification().identityAtConnect.empty());
    EXPECT_TRUE(meter.Violations().Empty()) << meter.Report();
    EXPECT_TRUE(world.Find("Button_buscar_puerto")->isVisible()) << "the search has ended";
}

TEST_F(SessionTest, AWholeUpdateClickedThroughTheWindow) {
    sim::Instrument& meter = world.AttachMeter("full-update");
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_EQ(world.model->State().resultCode, 0) << meter.Report();
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureUpdated);
    EXPECT_TRUE(meter.Violations().Empty()) << meter.Report();
    EXPECT_TRUE(shotUpdating_) << "the overall bar moved while the update ran";
    EXPECT_TRUE(Shoot("session_done"));
    EXPECT_FALSE(world.model->State().sessionRunning);
    // The meter, asked again after its restart, reports the new versions; hovering over the
    // info lines lists them.
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_EQ(Info("Label_info3"), Text(texts.PASO5_VERIFICADO));
    const QString details = world.Find<QLabel>("Label_info3")->toolTip();
    EXPECT_EQ(details, Text(world.model->controls.Label_info3.hint));
    EXPECT_TRUE(details.startsWith(Text(texts.VERSIONES_CABECERA))) << details.toStdString();
    EXPECT_TRUE(details.contains(Text(texts.VERSION_FIRMWARE + ": 2.04.00000")));
    EXPECT_EQ(world.Find<QLabel>("Label_info1")->toolTip(), details);
    EXPECT_TRUE(Shoot("session_verified"));
    EXPECT_TRUE(world.window->close()) << "the window closes again once the session ended";
}

// The time question holds the session while it is open: behind it the window already shows
// the update's lines, not the search's.
TEST_F(SessionTest, TheTimeQuestionOpensOverTheUpdatesLines) {
    world.AttachMeter("full-update");
    const LocalisedTexts& texts = world.model->texts;
    std::string shown;
    world.notifier.onMessage = [&](const RecordingNotifier::Message& m) {
        if (m.text.rfind(texts.TIEMPO_TOTAL1, 0) == 0)
            shown = Info("Label_info1").toStdString();
    };
    world.notifier.answers.push_back(MessageAnswer::Cancel);  // no step runs
    PressSearch();
    PressSearch();
    EXPECT_FALSE(texts.PASO4_L1.empty());
    EXPECT_EQ(shown, texts.PASO4_L1);
}

TEST_F(SessionTest, AnUpdateTheMeterDoesNotReportIsShownUnverified) {
    sim::Instrument& meter = world.AttachMeter("full-update");
    // The module says it finished, but goes on with its old software.
    meter.AddFault({sim::Event::ModuleFinish, sim::Action::Refuse, 1, 1, {}, 0});
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_EQ(world.model->State().resultCode, 0) << meter.Report();
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureUpdated)
        << "the session's own outcome";
    const LocalisedTexts& texts = world.model->texts;
    EXPECT_EQ(Info("Label_info1"), Text(texts.PASO5_L1));
    EXPECT_EQ(Info("Label_info3"), Text(texts.PASO5_NO_VERIFICADO));
    const QString details = world.Find<QLabel>("Label_info3")->toolTip();
    EXPECT_TRUE(details.contains(Text(texts.VERSION_MODULO + ": 161 build")))
        << details.toStdString();
    EXPECT_TRUE(details.contains(Text(texts.VERSION_NO_ACTUAL)));
    EXPECT_TRUE(world.notifier.beeps.empty());
    EXPECT_TRUE(Shoot("session_unverified"));
}

TEST_F(SessionTest, NewChannelPlansAreAskedForOnTheAttentionPanel) {
    sim::Instrument& meter = world.AttachMeter("plan-type-0-old");
    AnswerQuestions(true);
    PressSearch();
    PressSearch();
    EXPECT_TRUE(shotQuestion_) << "the plans and the erase were asked for";
    EXPECT_EQ(world.model->State().resultCode, 0) << meter.Report();
    EXPECT_EQ(world.model->controls.Image_accion.index, kPictureUpdated);
    EXPECT_TRUE(meter.Violations().Empty()) << meter.Report();
}

TEST_F(SessionTest, TheWatchEndsTheLinkWhenTheMeterLeaves) {
    Tventana_brisca& model = *world.model;
    ASSERT_TRUE(model.monitorPSerie.Configure(1, model.Connection().PortSettings));
    model.Session().connected = true;
    model.controls.Timer_desconexion.enabled = true;
    world.guiPump.PumpOnce();
    const std::uint8_t stray = 0x41;
    world.line.SendToHost(&stray, 1);
    world.clock.SleepMs(5);
    world.Settle(250);
    EXPECT_TRUE(model.Connection().connected) << "a byte other than 0x0A is dropped";

    const std::uint8_t leaving = 0x0A;
    world.line.SendToHost(&leaving, 1);
    world.clock.SleepMs(5);
    world.Settle(250);
    EXPECT_FALSE(model.Connection().connected);
    EXPECT_FALSE(model.controls.Timer_desconexion.enabled);
}

}  // namespace
}  // namespace kell::testing
