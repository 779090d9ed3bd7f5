#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "app/connection_state.h"
#include "app/identification_results.h"
#include "app/instrument_probe.h"
#include "app/main_window_controls.h"
#include "app/reporting_pump.h"
#include "app/session_events.h"
#include "app/session_state.h"
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
namespace testing {
struct WindowArrangement;
}

inline constexpr const char* kApplicationTitle = "Update";

// What only a front end can do. The core asks through these and never ends the process itself.
struct FrontEndHooks {
    std::function<void(int exitCode)> endProcess;                   // leave at once
    std::function<void()> showAbout;                                // the about box, modally
    std::function<void(const std::string& document)> openDocument;  // the shell's "open"
};

// The main window without a toolkit: its controls are models that a front end draws, its
// handlers are member functions that a front end calls, and it holds the state of an update
// session in named parts: the controls (public, main_window_controls.h), and what only the
// window changes, read through const accessors: the session's state (session_state.h), the
// connection (connection_state.h) and the identification's results
// (identification_results.h). Its operations are spread over several files, one per concern:
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
            identification_.readingsAgreed = false;
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

    // ---- The window's parts ----

    // The controls: the front ends bind their widgets to them and draw them.
    MainWindowControls controls;

    // What only the window changes, for front ends and tests to read.
    const SessionState& State() const { return state_; }
    const ConnectionState& Connection() const { return connection_; }
    const IdentificationResults& Identification() const { return identification_; }

    // The access letter the default-parameters window reads (optionsMode): the front end's
    // choice of the service options.
    void SetOptionsMode(char mode) { connection_.optionsMode = mode; }
    // Forgets the searches that found nothing, so the next empty search does not offer the
    // manual port panel (a front end that has none keeps searching every port).
    void ForgetFailedSearches() { state_.failedSearches = 0; }

    std::string workingDirectory;
    // Four characters, a point, five digits (2.04.00000); zero where the image did not fill it.
    std::array<char, 11> embeddedVersion{};
    std::array<bool, 64> pagePresent{};  // which 64 KiB pages the embedded image fills

    LocalisedTexts texts;

  private:
    // The tests' way to arrange the window's state directly (tests/support).
    friend struct testing::WindowArrangement;

    SessionState state_;
    ConnectionState connection_;
    IdentificationResults identification_;

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
