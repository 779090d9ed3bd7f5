#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "app/instrument_probe.h"
#include "app/reporting_pump.h"
#include "app/session_events.h"
#include "app/texts.h"
#include "app/up_to_date_notifier.h"
#include "app/version_check.h"
#include "config/instrument_facts.h"
#include "firmware/diferencial.h"
#include "image/file_op.h"
#include "image/interprete_hex.h"
#include "link/agreed_reading.h"
#include "link/link_context.h"
#include "link/module_versions.h"
#include "link/port_settings.h"
#include "link/serial_channel.h"
#include "link/session_context.h"
#include "modules/graphics.h"
#include "platform/controls.h"
#include "platform/seams.h"

namespace kell {

class TFParam_defecto;
struct SequenceRun;
struct SequenceStep;

inline constexpr const char* kApplicationTitle = "Update";
inline constexpr const char* kMainWindowCaption = "Update_v2.04 (Kell Series)";

// The pictures of ImageList_acciones that Image_accion shows.
enum ActionPicture : int {
    kPictureStart = 0,       // after start-up
    kPictureArmed = 1,       // the search is armed, or started from the menu
    kPictureSearching = 2,   // the port search runs
    kPictureNotFound = 3,    // no instrument, or the link was lost before the update
    kPictureUpdating = 4,    // the update sequence runs
    kPictureUpdated = 5,     // the update ended well
    kPictureFailed = 6,      // the update failed or was cancelled
    kPictureNotUpdated = 7,  // the instrument cannot or need not be updated
};
inline constexpr int kActionPictureCount = 8;

// The file-open dialog of the layout; nothing shows it, the keypad step clears its file name.
struct FileDialog {
    std::string filter = ".hex, .zsw, .bin|*.hex;*.zsw;*.bin";
    std::string fileName;
};

// What only a front end can do. The core asks through these and never ends the process itself.
struct FrontEndHooks {
    std::function<void(int exitCode)> endProcess;                   // leave at once
    std::function<void()> showAbout;                                // the about box, modally
    std::function<void(const std::string& document)> openDocument;  // the shell's "open"
};

// The main window without a toolkit: its controls are models that a front end draws, its
// handlers are member functions that a front end calls, and it holds the state of an update
// session. Its operations are spread over several files, one per concern:
//   ventana_brisca.cpp   construction, attention panel, action picture, closing
//   abrir_hex.cpp        the start-up check of the embedded main firmware
//   session_view.cpp     the narrow view of the window that the updaters use
// Port search and connection, identification and the update sequence add theirs below.
class Tventana_brisca {
  public:
    // firmwareText is the main firmware Intel HEX text (payloads::MainFirmwareHex() in the
    // program). The texts come from languageFile, or from workingDirectory's idiomas.ini when
    // it is empty.
    Tventana_brisca(const Seams& seams, std::string workingDirectory,
                    std::span<const std::uint8_t> firmwareText, std::string languageFile = {});
    ~Tventana_brisca();
    Tventana_brisca(const Tventana_brisca&) = delete;
    Tventana_brisca& operator=(const Tventana_brisca&) = delete;

    // ---- Window, attention panel, closing ----

    // Shows picture `index` of the action list at once (one pump), then shows or hides the
    // numbers of the three info lines.
    void SetActionPicture(int index, bool showNumbers);
    // Asks on the attention panel and waits for the answer: 1 for OK, -1 for Cancel. Also -1
    // when the program is being closed meanwhile, so that the wait cannot outlive the window.
    // The front end is pumped once as the panel opens, as before every message box.
    int ShowAttention(const std::string& header, const std::string& line1, const std::string& line2,
                      const std::string& line3, const std::string& okCaption,
                      const std::string& cancelCaption);
    void Button_atencion_okClick();
    void Button_atencion_cancelClick();
    // Asks a question of the session on the attention panel, telling the front end its kind
    // first and its answer after: 1 for OK, -1 for Cancel.
    int Ask(QuestionKind kind, const std::string& line1, const std::string& line2,
            const std::string& line3, const std::string& okCaption,
            const std::string& cancelCaption);
    // The time question's message box, told as a question: true for OK.
    bool AskTime(const std::string& text);

    // The front end that is told what the session does (null: nobody). Not owned.
    // A new listener hears the whole display at the next pump.
    void SetSessionEvents(SessionEvents* events) {
        events_ = events;
        reportedLines_ = {};
        reportedProgress_ = {};
    }

    // Whether a 32-bit program runs under 64-bit Windows: never on this platform, unless
    // isWow64 stands in for the answer (a test of the slower line and the heavier weights).
    bool IsWow64() const { return isWow64 ? isWow64() : false; }
    std::function<bool()> isWow64;

    // The context every exchange with the instrument works with; the stop flag is this
    // session's.
    LinkContext Link();
    // The narrow view of this window that the updaters of a session use.
    SessionContext Session();

    // embeddedVersion up to its first unfilled character.
    std::string EmbeddedVersion() const;

    bool FormCloseQuery();  // whether the window may close now
    void FormClose();
    void Salir();
    void MenuSalirClick();
    void SpeedButton_exitClick();
    void BCancelarClick();
    void About1Click();
    void AyudaClick();

    // ---- Main firmware image check ----

    // Scans the embedded firmware text once: proves every record, counts them, notes the pages
    // it fills and takes its version out. A bad line is reported and discards the reader.
    void Abrir_hex();

    // ---- Port search and connection ----
    // port_search.cpp, connection.cpp, port_panel.cpp, line_speed.cpp

    // The search button: arms the search (stage 0), searches and goes on to the update
    // (stage 1), or takes the re-press the update sequence asks for (stage 2).
    void Button_buscar_puertoClick();
    // "Actualizar": arms and starts the search at once.
    void Actualizar1Click();
    // Connect / end-link toggle on portNumber: while connected it ends the link; otherwise it
    // opens the port and probes it, and on an answer reads the instrument and plans the update.
    // The outcome is in `connected`. The argument is not used.
    void Boton_ConectarClick(int unused = 0);
    // Ends the link if up and brings it up again with the probe alone (after a restart of the
    // instrument). A failure beeps and shows "USB error".
    void Reconnect();
    // The same reconnection without the beep and the message: true when the link is up. A port
    // that does not open (the instrument still off the bus, or back under a node not yet
    // there) costs an attempt and is looked up again at the next one.
    bool ReconnectQuietly();
    // After the finish bytes the instrument restarts: waits as the session's closing does (its
    // pause, then the reconnection's attempts at the normal speed), without a beep or a
    // message while the instrument is only still restarting. True when the link is up.
    bool ReconnectAfterFinish();
    // The RTS pulses that wake the instrument's USB side before every probe.
    void WakePulse();
    // The disconnection watch: a front end calls it every Timer_desconexion.intervalMs while
    // Timer_desconexion.enabled. The instrument's 0x0A ends the link; other bytes are dropped.
    void Mira_desconexion();

    // The manual port panel.
    void MenuPuertoClick();
    void Auto1Click();
    void BConfigurarPuertoClick();
    void COM_Click();
    // Lists the ports 1 to 32 that exist, each as "COM<n>" with the device behind it.
    void Com_extendedChange();
    // Takes the port number from the combo box's text (the front end sets text to the entry
    // chosen).
    void Com_extended_select();

    // Asks the instrument's loader to change its line speed (500000, 250000 or 115200); a
    // failure records result code 8. Always true.
    bool SetInstrumentBaud(int speed);
    // Reopens the port at another speed. Always true.
    bool SetPortBaud(int speed);

    // Stands in for StartBootstrapLoader when set (a test that only watches for the call);
    // unset, the connection starts the loader itself. The result is not used.
    std::function<bool()> startBootstrapLoader;

    // ---- Identification and update plan ----
    // identification.cpp, update_gate.cpp

    // The reads at connection: zone and parameters, then PlanUpdate.
    void ReadInstrumentAtConnect();
    // Rebuilds the seven marks of the update plan from what the instrument reports.
    void PlanUpdate();
    bool CheckFirmware();
    bool CheckFpga();
    // The plans mark from the channel-plan header as read (its type byte, its version).
    bool CheckPlans(int expectedType, const std::array<std::uint8_t, 6>& table);
    bool CheckModule();
    // The value of a reading read until two replies agreed; replies that never agreed clear
    // readingsAgreed (and give the reading's empty value, no guess).
    template <typename T>
    T Decided(AgreedReading<T> reading) {
        if (reading.agreement == Agreement::Disagreed)
            readingsAgreed = false;
        return std::move(reading.value);
    }
    // The gate after a connection: level, peripheral status and whether the update is allowed
    // and needed; then the update, or the reason it does not happen.
    void CheckBeforeUpdate();
    bool CheckUpdateAllowed();
    // The update: runs the sequence and shows its outcome.
    void StartUpdate();

    // ---- The check after an update ----
    // version_check_step.cpp

    // After a session that ended updated: waits for the meter to come back from its restart
    // (without a beep or a message meanwhile), asks it for its versions with the
    // identification's read-only queries, ends the link, shows on the third info line whether
    // it reports the new versions and on the info lines' hint each component's versions, and
    // tells the front end.
    void CheckVersionsAfterUpdate();
    // On by default; a test that counts the session's bytes or time may turn it off.
    bool checkVersionsAfterUpdate = true;
    // The last check's result (empty until one ran, and while a new session runs).
    std::optional<VersionCheck> versionCheck;

    // ---- Update sequence ----
    // update_sequence.cpp, update_steps.cpp; the steps' table in sequence_steps.cpp

    // The whole session after the gate: the time question, the plan and erase questions, the
    // planned steps in their fixed order, the closing and the end. True when it stopped
    // (a cancel or a failure), false when everything planned was done.
    bool RunUpdateSequence();
    // Erases the instrument's stored data through the loader: the blank block, then twelve
    // sectors.
    bool EraseMemory();
    // Drains the line, sends the finish bytes 0x0F 0x00 and gives the instrument 500 ms.
    void SendFinish();
    // A step starts: its number and the step text "PASO4_L3: i/n", told to the front end.
    void ShowStep(StepComponent component, bool pump);
    // The zone write asked for a restart by hand (code 5): waits for the search button, then
    // writes the zone again when the same instrument came back. True when that write went through.
    bool RetryZoneAfterRePress(TFParam_defecto& defaults);
    // Brings the instrument's loader up through the processor's bootstrap mode (the probe was
    // answered 0xD5), so that the main firmware can be written all the same.
    bool StartBootstrapLoader();
    // What the configuration writes need to know about the connected instrument.
    InstrumentFacts Facts() const;
    // What a main-firmware transfer borrows from this window.
    MainWindowLoan Loan();

    int stepTotal = 0;   // planned steps, the denominator of the step text
    int stepIndex = 0;   // the step being shown, from 1
    TGraficos graficos;  // the instrument's picture raster, as its loader announced it
    std::unique_ptr<TCDiferencial> diferencial;  // the main-firmware transfer in progress

    // ---- The world and the objects the window owns ----

  private:
    // The pump given at construction, reporting what the window shows before each pass;
    // declared before seams, which holds it.
    ReportingPump reportingPump_;
    // The notifier given at construction, with the front end pumped before each message box.
    UpToDateNotifier upToDateNotifier_;

  public:
    // The world as given at construction, but that its pump is reportingPump_ and its notifier
    // upToDateNotifier_: every message box opens over a window the front end has drawn.
    Seams seams;
    TMonitorPSerie monitorPSerie;  // the one serial channel, closed until a connection
    TFile_op fileOp;               // line cursor over the embedded main firmware text
    std::unique_ptr<TInterprete_hex> hexReader;  // null until Abrir_hex, and after it failed
    FrontEndHooks hooks;

    // ---- Controls ----

    std::string Caption = kMainWindowCaption;
    Picture Fondo;
    Picture Image_bsa;
    Picture Image_accion;  // index: the ActionPicture shown
    Picture Image_buscar_puerto;
    Button Button_buscar_puerto;
    Label Label_n1, Label_n2, Label_n3;
    HintedLabel Label_info1, Label_info2, Label_info3;  // hint: the version check's details
    Label Label1;                                       // the version line
    Picture Image_salir;
    Button SpeedButton_exit;
    Label Label_progreso_general;
    ProgressBar ProgressBar_general;
    ProgressBar Barra_progreso;
    Picture Image_Tesk, Image_Orvo;

    // The update plan: one hidden mark per component.
    CheckBox Check_teclado, Check_borrar, Check_configuracion, Check_planes, Check_fpga,
        Check_firmware, Check_mpeg4_apl;

    // Manual port panel.
    Panel PConfigurarPuerto;
    Label Label2, Label3;
    Picture Image_puerto;
    RadioGroup COM;
    ComboBox Com_extended;
    Button BConfigurarPuerto;

    // Attention panel.
    Panel Panel_atencion;
    Label Label_atencion;
    Label Label_atencion_linea1, Label_atencion_linea2, Label_atencion_linea3;
    Button Button_atencion_ok, Button_atencion_cancel;

    FileDialog Dialogo_fichero;
    Timer Timer_desconexion;

    MenuItem MenuArchivo, Actualizar1, MenuSalir;
    MenuItem MenuConfigurar, Auto1, MenuPuerto;
    MenuItem MenuAyuda, Ayuda, About1;

    // ---- Session state ----

    int stage = 0;  // 0 arm the search, 1 search and update, 2 wait for the re-press
    int failedSearches = 0;
    bool sessionRunning = false;
    bool stopSession = false;
    bool exitRequested = false;
    bool connected = false;
    bool bootstrapReply = false;
    bool busyReply = false;
    bool eraseRefused = false;
    bool rePressed = false;
    int attentionReply = 0;  // 0 none yet, 1 OK, -1 Cancel
    int resultCode = 0;      // the first failure of the session
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;  // calendar seconds some waits of a step are measured from
    int portNumber = 1;
    kell::PortSettings PortSettings;
    char optionsMode = 'N';
    std::string workingDirectory;
    // Four characters, a point, five digits (2.04.00000); zero where the image did not fill it.
    std::array<char, 11> embeddedVersion{};
    std::array<bool, 64> pagePresent{};  // which 64 KiB pages the embedded image fills
    std::string identityAtConnect;
    std::string identityAfterRestart;
    // A port of the last search existed but might not be opened (no permission).
    bool portPermissionRefused = false;
    bool portHeldElsewhere = false;   // a port of the search was open in another program
    bool searchFoundNothing = false;  // the last search ended without an instrument

    // Identification results.
    // Every reading of the last identification that decides what the session writes agreed
    // (it is read until two replies agree); when one did not, the update is refused.
    bool readingsAgreed = true;
    int zoneCode = 0;
    bool parameter562Valid = false;
    std::uint8_t parameter562 = 0;
    std::uint16_t parameter571 = 0;
    bool modelKnown = false;
    bool usaUnit = false;
    bool firmwareAbove180 = false;
    bool firmwareBelow189 = false;
    bool threeFpgaConfigurations = false;
    int plansType = 0;
    int plansStoredVersion = 0;
    int plansExpectedVersion = 0;
    kell::ModuleVersions ModuleVersions;
    std::string instrumentVersion;  // the instrument's firmware version text, as read

    // Channel plans accepted for this session.
    bool plansSelected = false;
    bool plansTypeIsZero = false;

    LocalisedTexts texts;

    // Set when the user chose to leave; the front end ends the process.
    bool endProcessRequested = false;

  private:
    SessionEvents* events_ = nullptr;
    InfoLines reportedLines_;
    SessionProgress reportedProgress_;

    // Tells the front end what the window shows now, where it changed since it was last told.
    void ReportDisplay();

    // The front end's events, or a listener that does nothing.
    SessionEvents& Events();

    void BuildLayout();
    void LoadTexts(const std::string& languageFile);
    void ShowVersionLine();
    // Ends an open link as the connect toggle does: 0x0A, 100 ms, port closed.
    void EndLink();
    // A reconnection that failed: the beep and the "USB error" box.
    void TellUsbError();
    void EndProcess();

    // Port search and connection.
    void SetInfoLines(const std::string& line1, const std::string& line2, const std::string& line3);
    void EnableMenus(bool enabled);
    void ShowSearchButton(bool shown);
    void SearchAutomatically();
    // Tries port n as one step of a search: shows its number and connects.
    void TryPort(int n);
    // Probe attempts as the rule says: wake pulses, the probe byte, the answer read; the link
    // ended (0x0A) after each unanswered attempt.
    ProbeAnswer ProbeInstrument(const ProbeRule& rule);
    // The search found no usable link: why, and the window ready for the next press.
    void ShowNoInstrument();

    // Identification and update plan.
    // A refused update: its picture and texts, the link ended, the window ready again.
    void RefuseUpdate(Refusal why, const std::string& line1, const std::string& line2,
                      const std::string& line3);
    // Ends the link of an attempt and leaves the window ready for the next press.
    void EndAttempt();

    // Update sequence.
    bool Planned(const SequenceStep& step) const;
    // The channel-plan question, when the instrument's stored plans are not the carried ones.
    void AskAboutPlans();
    void RunStep(const SequenceStep& step, SequenceRun& run);
    // After every planned step went well: the finish, the reconnection and the user-band records.
    void CloseSession(TFParam_defecto& defaults, SessionContext& session);
};

}  // namespace kell
