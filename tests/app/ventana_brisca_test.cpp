#include "app/ventana_brisca.h"

#include <gtest/gtest.h>

#include "tests/app/test_support.h"
#include "tests/support/recording_far_end.h"
#include "tests/support/virtual_world.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
namespace {

struct WindowTest : ::testing::Test {
    VirtualWorld world;
    RecordingFarEnd& device = world.Attach<RecordingFarEnd>(1);
    TempDir dir;
    std::string image = SyntheticImage({0x0000, 0x0018}, "2.04", "00000");

    std::unique_ptr<Tventana_brisca> Make() {
        return std::make_unique<Tventana_brisca>(world.seams, dir.Path(), SpanOf(image));
    }
    void WriteLanguage(const std::string& body) { dir.Write("idiomas.ini", body); }
};

TEST_F(WindowTest, ConstructionLeavesTheLayoutAndSessionAsAtStartUp) {
    auto w = Make();
    EXPECT_EQ(w->controls.Image_accion.index, kPictureStart);
    EXPECT_TRUE(w->controls.Button_buscar_puerto.visible);
    const Control* hidden[] = {&w->controls.Label_n1,
                               &w->controls.Label_n2,
                               &w->controls.Label_n3,
                               &w->controls.Image_bsa,
                               &w->controls.Label_progreso_general,
                               &w->controls.ProgressBar_general,
                               &w->controls.Barra_progreso,
                               &w->controls.Image_Tesk,
                               &w->controls.Image_Orvo,
                               &w->controls.PConfigurarPuerto,
                               &w->controls.Panel_atencion,
                               &w->controls.MenuAyuda};
    for (const Control* control : hidden)
        EXPECT_FALSE(control->visible);

    // The plan marks: hidden, unticked, all but the module's disabled.
    const CheckBox* marks[] = {&w->controls.Check_teclado,       &w->controls.Check_borrar,
                               &w->controls.Check_configuracion, &w->controls.Check_planes,
                               &w->controls.Check_fpga,          &w->controls.Check_firmware};
    for (const CheckBox* box : marks)
        EXPECT_FALSE(box->visible || box->enabled || box->checked) << box->caption;
    EXPECT_TRUE(w->controls.Check_mpeg4_apl.enabled && !w->controls.Check_mpeg4_apl.checked);
    EXPECT_FALSE(w->controls.Timer_desconexion.enabled);
    EXPECT_TRUE(w->controls.Auto1.checked && !w->controls.MenuPuerto.checked);

    EXPECT_FALSE(w->State().sessionRunning || w->State().stopSession || w->State().exitRequested ||
                 w->Connection().connected || w->Connection().bootstrapReply ||
                 w->Connection().busyReply || w->State().eraseRefused || w->State().rePressed);
    EXPECT_EQ(w->Connection().portNumber, 1);
    EXPECT_EQ(w->Connection().PortSettings.BaudRate, 115200u);
    EXPECT_EQ(w->workingDirectory, dir.Path());
    EXPECT_FALSE(w->monitorPSerie.IsOpen());
}

TEST_F(WindowTest, WithoutALanguageFileMenusAreSpanishAndOnlyTheVersionLineShows) {
    auto w = Make();
    EXPECT_EQ(w->controls.MenuArchivo.caption, "Archivo");
    EXPECT_EQ(w->controls.Actualizar1.caption, "Actualizar");
    EXPECT_EQ(w->controls.MenuSalir.caption, "Salir");
    EXPECT_EQ(w->controls.MenuConfigurar.caption, "Configurar");
    EXPECT_EQ(w->controls.Auto1.caption, "Auto");
    EXPECT_EQ(w->controls.MenuPuerto.caption, "Manual");
    EXPECT_EQ(w->controls.MenuAyuda.caption, "Ayuda");
    EXPECT_EQ(w->controls.Ayuda.caption, "Ayuda");
    EXPECT_EQ(w->controls.About1.caption, "Acerca de");
    EXPECT_EQ(w->controls.Label_info1.caption, "");
    EXPECT_EQ(w->controls.Label_info2.caption, "Version 2.04");
    EXPECT_EQ(w->controls.Label_info3.caption, "");
    EXPECT_EQ(w->controls.Label_progreso_general.caption, "");
    EXPECT_TRUE(world.notifier.messages.empty());
}

TEST_F(WindowTest, TheLanguageFileCaptionsMenusAndInfoLines) {
    WriteLanguage(
        "[COMUN]\nIDIOMA=EN\n[EN]\nMENU1=File\nMENU3_L2=About\nPASO1_L1=Welcome\n"
        "PASO1_L2=never shown\nPASO1_L3=Press\nPROGRESO_GENERAL=Overall\n");
    auto w = Make();
    EXPECT_EQ(w->controls.MenuArchivo.caption, "File");
    EXPECT_EQ(w->controls.About1.caption, "About");
    EXPECT_EQ(w->controls.MenuSalir.caption, "Salir");
    EXPECT_EQ(w->controls.Label_info1.caption, "Welcome");
    EXPECT_EQ(w->controls.Label_info2.caption, "Version 2.04");
    EXPECT_EQ(w->texts.PASO1_L2, "Version 2.04");
    EXPECT_EQ(w->controls.Label_info3.caption, "Press");
    EXPECT_EQ(w->controls.Label_progreso_general.caption, "Overall");
}

TEST_F(WindowTest, AnExplicitLanguageFileIsReadInsteadOfTheWorkingDirectorys) {
    WriteLanguage("[EN]\nPASO1_L1=from the working directory\n");
    TempDir other;
    const std::string path = other.Write("idiomas.ini", "[EN]\nPASO1_L1=from elsewhere\n");
    Tventana_brisca w(world.seams, dir.Path(), SpanOf(image), path);
    EXPECT_EQ(w.controls.Label_info1.caption, "from elsewhere");
}

TEST_F(WindowTest, AttentionPanelWaitsForTheAnswerAndHidesAfterIt) {
    auto w = Make();
    for (const int answer : {1, -1}) {
        const long waitsBefore = world.pump.waits;
        world.pump.onPump = [&] {
            // The user answers during the third wait.
            if (!w->controls.Panel_atencion.visible || world.pump.waits - waitsBefore < 3)
                return;
            EXPECT_EQ(w->controls.Label_atencion.caption, "HEAD");
            EXPECT_EQ(w->controls.Label_atencion_linea3.caption, "three");
            EXPECT_EQ(w->controls.Button_atencion_ok.caption, "Yes");
            EXPECT_EQ(w->controls.Button_atencion_cancel.caption, "No");
            if (answer == 1)
                w->Button_atencion_okClick();
            else
                w->Button_atencion_cancelClick();
        };
        EXPECT_EQ(w->ShowAttention("HEAD", "one", "two", "three", "Yes", "No"), answer);
        EXPECT_FALSE(w->controls.Panel_atencion.visible);
        EXPECT_EQ(w->State().attentionReply, answer);
        // It waits for events rather than spinning.
        EXPECT_EQ(world.pump.waits - waitsBefore, 3);
    }
}

TEST_F(WindowTest, AttentionPanelGivesUpAsCancelWhenTheProgramIsLeft) {
    auto w = Make();
    world.pump.onPump = [&] { w->FormClose(); };
    EXPECT_EQ(w->ShowAttention("H", "1", "2", "3", "OK", "CANCEL"), -1);
    EXPECT_FALSE(w->controls.Panel_atencion.visible);
}

TEST_F(WindowTest, ActionPictureShowsBeforeTheNumbersChange) {
    auto w = Make();
    int seenIndex = -1;
    bool numbersAtPump = true;
    world.pump.onPump = [&] {
        seenIndex = w->controls.Image_accion.index;
        numbersAtPump = w->controls.Label_n1.visible;
    };
    const long pumps = world.pump.pumps;
    w->SetActionPicture(kPictureArmed, true);
    EXPECT_EQ(world.pump.pumps - pumps, 1);
    EXPECT_EQ(seenIndex, kPictureArmed);
    EXPECT_FALSE(numbersAtPump);
    EXPECT_TRUE(w->controls.Label_n1.visible && w->controls.Label_n2.visible &&
                w->controls.Label_n3.visible);
    w->SetActionPicture(kPictureSearching, false);
    EXPECT_FALSE(w->controls.Label_n1.visible || w->controls.Label_n2.visible ||
                 w->controls.Label_n3.visible);
    EXPECT_EQ(w->controls.Image_accion.index, kPictureSearching);
}

struct ExitTest : WindowTest {
    std::unique_ptr<Tventana_brisca> w;
    std::vector<int> exitCodes;

    void SetUp() override {
        WriteLanguage("[EN]\nAVISOACT=An update is running\n");
        w = Make();
        w->hooks.endProcess = [this](int code) { exitCodes.push_back(code); };
    }
};

TEST_F(ExitTest, DuringASessionLeavingIsRefusedAndSalirWarns) {
    WindowArrangement::State(*w).sessionRunning = true;  // as in a session's question
    EXPECT_FALSE(w->FormCloseQuery());
    w->MenuSalirClick();
    ASSERT_EQ(world.notifier.messages.size(), 1u);
    EXPECT_EQ(world.notifier.messages[0].text, "An update is running");
    w->SpeedButton_exitClick();
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_FALSE(w->State().endProcessRequested);
    EXPECT_FALSE(w->State().exitRequested);
    EXPECT_TRUE(w->State().sessionRunning);
}

TEST_F(ExitTest, BetweenSessionsTheMenuAndTheExitButtonEndTheProcess) {
    w->MenuSalirClick();
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_TRUE(w->State().endProcessRequested);
    EXPECT_TRUE(world.notifier.messages.empty());
    w->SpeedButton_exitClick();
    EXPECT_EQ(exitCodes, (std::vector<int>{0, 0}));
}

TEST_F(ExitTest, ClosingBetweenSessionsSetsExitRequested) {
    EXPECT_TRUE(w->FormCloseQuery());
    EXPECT_FALSE(w->State().exitRequested);
    w->FormClose();
    EXPECT_TRUE(w->State().exitRequested);
}

TEST_F(WindowTest, CancelSetsTheStopFlagThatTheLinkContextSees) {
    auto w = Make();
    LinkContext link = w->Link();
    EXPECT_FALSE(link.StopRequested());
    w->BCancelarClick();
    EXPECT_TRUE(w->State().stopSession);
    EXPECT_TRUE(link.StopRequested());
    EXPECT_EQ(&link.serial, &w->monitorPSerie);
}

TEST_F(WindowTest, DestroyingTheWindowEndsAnOpenLink) {
    auto w = Make();
    ASSERT_TRUE(w->monitorPSerie.Configure(1, w->Connection().PortSettings));
    w->Session().connected = true;  // as an open link
    w.reset();
    EXPECT_EQ(device.received, std::vector<std::uint8_t>{0x0A});
    EXPECT_FALSE(world.serial.IsOpen());
}

}  // namespace
}  // namespace kell::testing
