#include "app/ventana_brisca.h"

#include <utility>

#include "app/language_file.h"
#include "link/shared_frames.h"

namespace kell {
namespace {

// How long one wait for the user's answer may block before the window checks its state again.
constexpr std::uint32_t kAttentionWaitMs = 100;

}  // namespace

Tventana_brisca::Tventana_brisca(const Seams& seams_, std::string workingDirectory_,
                                 std::span<const std::uint8_t> firmwareText,
                                 std::string languageFile)
    : reportingPump_(seams_.pump, [this] { ReportDisplay(); }),
      upToDateNotifier_(reportingPump_, seams_.notifier),
      seams{seams_.clock, seams_.serial, reportingPump_, upToDateNotifier_, seams_.ports},
      monitorPSerie(seams.serial, seams.ports, seams.clock),
      fileOp(firmwareText),
      workingDirectory(std::move(workingDirectory_)) {
    // The session fields, the reader and the channel start as their declarations give them:
    // every flag false, port 1, the channel's default line settings, options mode 'N', no
    // reader, texts empty.
    BuildLayout();
    controls.Image_accion.index = kPictureStart;
    state_.stage = 0;
    LoadTexts(languageFile.empty() ? LanguageFilePath(workingDirectory) : languageFile);
    Abrir_hex();
    controls.Label_progreso_general.caption = texts.PROGRESO_GENERAL;
    ShowVersionLine();
    seams.pump.PumpOnce();
    state_.failedSearches = 0;
    state_.sessionRunning = false;
    identification_.firmwareAbove180 = false;
    state_.resultCode = 0;
    state_.eraseRefused = false;
    state_.plansSelected = false;
    state_.plansTypeIsZero = false;
    state_.rePressed = false;
    identification_.plansExpectedVersion = 0;
    identification_.plansStoredVersion = 0;
    controls.Image_Tesk.visible = false;
    controls.Image_Orvo.visible = false;
}

Tventana_brisca::~Tventana_brisca() {
    if (connection_.connected)
        EndLink();
}

void Tventana_brisca::BuildLayout() {
    controls.Image_bsa.visible = false;

    for (Label* n : {&controls.Label_n1, &controls.Label_n2, &controls.Label_n3})
        n->visible = false;
    controls.Label_n1.caption = "1.";
    controls.Label_n2.caption = "2.";
    controls.Label_n3.caption = "3.";
    controls.Label_info1.caption = "Actualizador Orvo series";
    controls.Label_info2.caption = "Versión 1.01";

    controls.Label_progreso_general.visible = false;
    controls.ProgressBar_general.visible = false;
    controls.ProgressBar_general.SetRange(0, 100);
    controls.Barra_progreso.visible = false;
    controls.Barra_progreso.SetRange(0, 100);
    controls.Image_Tesk.visible = false;
    controls.Image_Orvo.visible = false;

    const std::pair<CheckBox*, const char*> marks[] = {
        {&controls.Check_teclado, "Teclado"},     {&controls.Check_borrar, "Borrar"},
        {&controls.Check_configuracion, "Zona"},  {&controls.Check_planes, "Planes"},
        {&controls.Check_fpga, "Fpga"},           {&controls.Check_firmware, "Medidor"},
        {&controls.Check_mpeg4_apl, "Mpeg4_apl"},
    };
    for (auto [box, caption] : marks) {
        box->caption = caption;
        box->visible = false;
        box->enabled = false;
    }
    controls.Check_mpeg4_apl.enabled = true;

    controls.PConfigurarPuerto.visible = false;
    controls.Label2.caption = "USB";
    controls.Label3.caption = "USB :";
    controls.COM.caption = "USB : ";
    controls.COM.items = {"1", "2", "3", "4", "5", "6"};
    controls.COM.itemIndex = 0;
    controls.BConfigurarPuerto.caption = "Ok";

    controls.Panel_atencion.visible = false;
    controls.Label_atencion.caption = "ATENCION";
    controls.Button_atencion_ok.caption = "Ok";
    controls.Button_atencion_cancel.caption = "Cancel";

    controls.Timer_desconexion.enabled = false;
    controls.Timer_desconexion.intervalMs = 100;

    controls.MenuArchivo.caption = "Archivo";
    controls.Actualizar1.caption = "Actualizar";
    controls.MenuSalir.caption = "Salir";
    controls.MenuConfigurar.caption = "Configurar";
    controls.Auto1.caption = "Auto";
    controls.Auto1.checked = true;
    controls.MenuPuerto.caption = "Manual";
    controls.MenuAyuda.caption = "Ayuda";
    controls.MenuAyuda.visible = false;
    controls.Ayuda.caption = "Ayuda";
    controls.About1.caption = "About";
}

void Tventana_brisca::LoadTexts(const std::string& languageFile) {
    Language language = LoadLanguageFile(languageFile);
    texts = std::move(language.texts);
    const MenuCaptions& menus = language.menus;
    controls.MenuArchivo.caption = menus.MENU1;
    controls.Actualizar1.caption = menus.MENU1_L1;
    controls.MenuSalir.caption = menus.MENU1_L2;
    controls.MenuConfigurar.caption = menus.MENU2;
    controls.Auto1.caption = menus.MENU2_L1;
    controls.MenuPuerto.caption = menus.MENU2_L2;
    controls.MenuAyuda.caption = menus.MENU3;
    controls.Ayuda.caption = menus.MENU3_L1;
    controls.About1.caption = menus.MENU3_L2;
}

void Tventana_brisca::ShowVersionLine() {
    // A release build (".00000") shows only its release: "Version 2.04".
    std::string line = "Version " + EmbeddedVersion();
    if (line.size() >= 18 && line.compare(12, 6, ".00000") == 0)
        line.resize(12);
    controls.Label1.caption = line;
    // The second info line always shows the version line.
    texts.PASO1_L2 = line;
    controls.Label_info1.caption = texts.PASO1_L1;
    controls.Label_info2.caption = texts.PASO1_L2;
    controls.Label_info3.caption = texts.PASO1_L3;
}

std::string Tventana_brisca::EmbeddedVersion() const {
    return std::string(embeddedVersion.data());
}

void Tventana_brisca::SetActionPicture(int index, bool showNumbers) {
    controls.Image_accion.index = index;
    seams.pump.PumpOnce();
    controls.Label_n1.visible = controls.Label_n2.visible = controls.Label_n3.visible = showNumbers;
}

int Tventana_brisca::ShowAttention(const std::string& header, const std::string& line1,
                                   const std::string& line2, const std::string& line3,
                                   const std::string& okCaption, const std::string& cancelCaption) {
    controls.Label_atencion.caption = header;
    controls.Label_atencion_linea1.caption = line1;
    controls.Label_atencion_linea2.caption = line2;
    controls.Label_atencion_linea3.caption = line3;
    controls.Button_atencion_ok.caption = okCaption;
    controls.Button_atencion_cancel.caption = cancelCaption;
    controls.Panel_atencion.visible = true;
    state_.attentionReply = 0;
    // The panel holds the core as a message box does: the front end draws it, and the window
    // around it as the session last set it, at once rather than at its first wait.
    seams.pump.PumpOnce();
    while (state_.attentionReply == 0) {
        if (state_.exitRequested) {
            Button_atencion_cancelClick();
            break;
        }
        seams.pump.WaitForEvent(kAttentionWaitMs);
    }
    return state_.attentionReply;
}

void Tventana_brisca::ReportDisplay() {
    const InfoLines lines{
        {controls.Label_info1.caption, controls.Label_info2.caption, controls.Label_info3.caption},
        controls.Label_n1.visible};
    if (lines != reportedLines_) {
        reportedLines_ = lines;
        Events().InfoLinesChanged(lines);
    }
    SessionProgress progress;
    progress.shown = controls.ProgressBar_general.visible || controls.Barra_progreso.visible;
    progress.overallLabel = controls.Label_progreso_general.caption;
    progress.overall = controls.ProgressBar_general;
    progress.step = controls.Barra_progreso;
    if (progress != reportedProgress_) {
        reportedProgress_ = progress;
        Events().ProgressChanged(progress);
    }
}

SessionEvents& Tventana_brisca::Events() {
    static SessionEvents nobody;
    return events_ ? *events_ : nobody;
}

int Tventana_brisca::Ask(QuestionKind kind, const std::string& line1, const std::string& line2,
                         const std::string& line3, const std::string& okCaption,
                         const std::string& cancelCaption) {
    Events().QuestionAsked(
        {kind, texts.AVISO_HEAD, line1 + "\n" + line2 + "\n" + line3, okCaption, cancelCaption});
    const int answer =
        ShowAttention(texts.AVISO_HEAD, line1, line2, line3, okCaption, cancelCaption);
    Events().QuestionAnswered(kind, answer == 1);
    return answer;
}

bool Tventana_brisca::AskTime(const std::string& text) {
    Events().QuestionAsked({QuestionKind::Time, "", text, "OK", "Cancel"});
    const bool ok =
        seams.notifier.MessageBox(text, "", MessageButtons::OkCancel) == MessageAnswer::Ok;
    Events().QuestionAnswered(QuestionKind::Time, ok);
    return ok;
}

void Tventana_brisca::Button_atencion_okClick() {
    controls.Panel_atencion.visible = false;
    state_.attentionReply = 1;
}

void Tventana_brisca::Button_atencion_cancelClick() {
    controls.Panel_atencion.visible = false;
    state_.attentionReply = -1;
}

LinkContext Tventana_brisca::Link() {
    return LinkContext{monitorPSerie, seams.clock, seams.pump, seams.notifier, &state_.stopSession};
}

bool Tventana_brisca::FormCloseQuery() {
    return !state_.sessionRunning;
}

void Tventana_brisca::FormClose() {
    Salir();
}

void Tventana_brisca::Salir() {
    state_.exitRequested = true;
}

void Tventana_brisca::MenuSalirClick() {
    if (state_.sessionRunning)
        seams.notifier.MessageBox(texts.AVISOACT, kApplicationTitle, MessageButtons::Ok);
    else
        EndProcess();
}

void Tventana_brisca::SpeedButton_exitClick() {
    if (!state_.sessionRunning)
        EndProcess();
}

void Tventana_brisca::BCancelarClick() {
    state_.stopSession = true;
}

void Tventana_brisca::About1Click() {
    if (hooks.showAbout)
        hooks.showAbout();
}

void Tventana_brisca::AyudaClick() {
    if (hooks.openDocument)
        hooks.openDocument("index.html");
}

void Tventana_brisca::EndLink() {
    controls.Timer_desconexion.enabled = false;
    const std::uint8_t bye = kEndOfLink;
    monitorPSerie.Write(&bye, 1);
    seams.clock.SleepMs(100);
    monitorPSerie.Close();
    connection_.connected = false;
}

void Tventana_brisca::EndProcess() {
    // Leaves at once: nothing more goes to the instrument.
    state_.endProcessRequested = true;
    state_.exitRequested = true;
    if (hooks.endProcess)
        hooks.endProcess(0);
}

}  // namespace kell
