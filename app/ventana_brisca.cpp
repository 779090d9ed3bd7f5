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
    Image_accion.index = kPictureStart;
    stage = 0;
    LoadTexts(languageFile.empty() ? LanguageFilePath(workingDirectory) : languageFile);
    Abrir_hex();
    Label_progreso_general.caption = texts.PROGRESO_GENERAL;
    ShowVersionLine();
    seams.pump.PumpOnce();
    failedSearches = 0;
    sessionRunning = false;
    firmwareAbove180 = false;
    resultCode = 0;
    eraseRefused = false;
    plansSelected = false;
    plansTypeIsZero = false;
    rePressed = false;
    plansExpectedVersion = 0;
    plansStoredVersion = 0;
    Image_Tesk.visible = false;
    Image_Orvo.visible = false;
}

Tventana_brisca::~Tventana_brisca() {
    if (connected)
        EndLink();
}

void Tventana_brisca::BuildLayout() {
    Image_bsa.visible = false;

    for (Label* n : {&Label_n1, &Label_n2, &Label_n3})
        n->visible = false;
    Label_n1.caption = "1.";
    Label_n2.caption = "2.";
    Label_n3.caption = "3.";
    Label_info1.caption = "Actualizador Orvo series";
    Label_info2.caption = "Versión 1.01";

    Label_progreso_general.visible = false;
    ProgressBar_general.visible = false;
    ProgressBar_general.SetRange(0, 100);
    Barra_progreso.visible = false;
    Barra_progreso.SetRange(0, 100);
    Image_Tesk.visible = false;
    Image_Orvo.visible = false;

    const std::pair<CheckBox*, const char*> marks[] = {
        {&Check_teclado, "Teclado"},     {&Check_borrar, "Borrar"}, {&Check_configuracion, "Zona"},
        {&Check_planes, "Planes"},       {&Check_fpga, "Fpga"},     {&Check_firmware, "Medidor"},
        {&Check_mpeg4_apl, "Mpeg4_apl"},
    };
    for (auto [box, caption] : marks) {
        box->caption = caption;
        box->visible = false;
        box->enabled = false;
    }
    Check_mpeg4_apl.enabled = true;

    PConfigurarPuerto.visible = false;
    Label2.caption = "USB";
    Label3.caption = "USB :";
    COM.caption = "USB : ";
    COM.items = {"1", "2", "3", "4", "5", "6"};
    COM.itemIndex = 0;
    BConfigurarPuerto.caption = "Ok";

    Panel_atencion.visible = false;
    Label_atencion.caption = "ATENCION";
    Button_atencion_ok.caption = "Ok";
    Button_atencion_cancel.caption = "Cancel";

    Timer_desconexion.enabled = false;
    Timer_desconexion.intervalMs = 100;

    MenuArchivo.caption = "Archivo";
    Actualizar1.caption = "Actualizar";
    MenuSalir.caption = "Salir";
    MenuConfigurar.caption = "Configurar";
    Auto1.caption = "Auto";
    Auto1.checked = true;
    MenuPuerto.caption = "Manual";
    MenuAyuda.caption = "Ayuda";
    MenuAyuda.visible = false;
    Ayuda.caption = "Ayuda";
    About1.caption = "About";
}

void Tventana_brisca::LoadTexts(const std::string& languageFile) {
    Language language = LoadLanguageFile(languageFile);
    texts = std::move(language.texts);
    const MenuCaptions& menus = language.menus;
    MenuArchivo.caption = menus.MENU1;
    Actualizar1.caption = menus.MENU1_L1;
    MenuSalir.caption = menus.MENU1_L2;
    MenuConfigurar.caption = menus.MENU2;
    Auto1.caption = menus.MENU2_L1;
    MenuPuerto.caption = menus.MENU2_L2;
    MenuAyuda.caption = menus.MENU3;
    Ayuda.caption = menus.MENU3_L1;
    About1.caption = menus.MENU3_L2;
}

void Tventana_brisca::ShowVersionLine() {
    // A release build (".00000") shows only its release: "Version 2.04".
    std::string line = "Version " + EmbeddedVersion();
    if (line.size() >= 18 && line.compare(12, 6, ".00000") == 0)
        line.resize(12);
    Label1.caption = line;
    // The second info line always shows the version line.
    texts.PASO1_L2 = line;
    Label_info1.caption = texts.PASO1_L1;
    Label_info2.caption = texts.PASO1_L2;
    Label_info3.caption = texts.PASO1_L3;
}

std::string Tventana_brisca::EmbeddedVersion() const {
    return std::string(embeddedVersion.data());
}

void Tventana_brisca::SetActionPicture(int index, bool showNumbers) {
    Image_accion.index = index;
    seams.pump.PumpOnce();
    Label_n1.visible = Label_n2.visible = Label_n3.visible = showNumbers;
}

int Tventana_brisca::ShowAttention(const std::string& header, const std::string& line1,
                                   const std::string& line2, const std::string& line3,
                                   const std::string& okCaption, const std::string& cancelCaption) {
    Label_atencion.caption = header;
    Label_atencion_linea1.caption = line1;
    Label_atencion_linea2.caption = line2;
    Label_atencion_linea3.caption = line3;
    Button_atencion_ok.caption = okCaption;
    Button_atencion_cancel.caption = cancelCaption;
    Panel_atencion.visible = true;
    attentionReply = 0;
    // The panel holds the core as a message box does: the front end draws it, and the window
    // around it as the session last set it, at once rather than at its first wait.
    seams.pump.PumpOnce();
    while (attentionReply == 0) {
        if (exitRequested) {
            Button_atencion_cancelClick();
            break;
        }
        seams.pump.WaitForEvent(kAttentionWaitMs);
    }
    return attentionReply;
}

void Tventana_brisca::ReportDisplay() {
    const InfoLines lines{{Label_info1.caption, Label_info2.caption, Label_info3.caption},
                          Label_n1.visible};
    if (lines != reportedLines_) {
        reportedLines_ = lines;
        Events().InfoLinesChanged(lines);
    }
    SessionProgress progress;
    progress.shown = ProgressBar_general.visible || Barra_progreso.visible;
    progress.overallLabel = Label_progreso_general.caption;
    progress.overall = ProgressBar_general;
    progress.step = Barra_progreso;
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
    Panel_atencion.visible = false;
    attentionReply = 1;
}

void Tventana_brisca::Button_atencion_cancelClick() {
    Panel_atencion.visible = false;
    attentionReply = -1;
}

LinkContext Tventana_brisca::Link() {
    return LinkContext{monitorPSerie, seams.clock, seams.pump, seams.notifier, &stopSession};
}

bool Tventana_brisca::FormCloseQuery() {
    return !sessionRunning;
}

void Tventana_brisca::FormClose() {
    Salir();
}

void Tventana_brisca::Salir() {
    exitRequested = true;
}

void Tventana_brisca::MenuSalirClick() {
    if (sessionRunning)
        seams.notifier.MessageBox(texts.AVISOACT, kApplicationTitle, MessageButtons::Ok);
    else
        EndProcess();
}

void Tventana_brisca::SpeedButton_exitClick() {
    if (!sessionRunning)
        EndProcess();
}

void Tventana_brisca::BCancelarClick() {
    stopSession = true;
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
    Timer_desconexion.enabled = false;
    const std::uint8_t bye = kEndOfLink;
    monitorPSerie.Write(&bye, 1);
    seams.clock.SleepMs(100);
    monitorPSerie.Close();
    connected = false;
}

void Tventana_brisca::EndProcess() {
    // Leaves at once: nothing more goes to the instrument.
    endProcessRequested = true;
    exitRequested = true;
    if (hooks.endProcess)
        hooks.endProcess(0);
}

}  // namespace kell
