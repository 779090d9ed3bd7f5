// The update session after the gate: questions, the planned steps in their fixed order, the
// closing, the end and the outcome shown.
#include <cstdio>
#include <memory>
#include <string>

#include "app/ventana_brisca.h"
#include "config/channel_plan.h"
#include "config/param_defecto.h"
#include "link/device_queries.h"
#include "modules/fpga_dialog.h"
#include "modules/keypad_step.h"
#include "modules/mpeg4_module.h"

namespace kell {
namespace {

// Progress weights, in seconds of the overall bar.
constexpr int kKeypadWeight = 180;
constexpr int kEraseWeight = 10;
constexpr int kPlansWeight = 30;
constexpr int kZoneWeight = 50;
constexpr int kFpgaWeight = 25;
constexpr int kFirmwareWeight = 300;
constexpr int kModuleWeight = 640;
constexpr int kExtraFirmwareWeightWow64 = 120;
constexpr int kExtraModuleWeightWow64 = 220;

// What each step adds to the overall position when it ends.
constexpr int kKeypadShare = 180;
constexpr int kFirmwareShare = 180;
constexpr int kModuleShare = 420;

// Pauses while the instrument restarts or settles, in milliseconds.
constexpr std::uint32_t kAfterKeypadMs = 9000;
constexpr std::uint32_t kAfterPlansMs = 5000;
constexpr std::uint32_t kAfterLineSpeedMs = 1000;
constexpr std::uint32_t kBeforeFpgaMs = 5000;
constexpr std::uint32_t kAfterModuleMs = 17000;
constexpr std::uint32_t kBeforeClosingMs = 10000;
// How long one wait for the re-press may block before the window is looked at again.
constexpr std::uint32_t kUserWaitSliceMs = 100;

constexpr int kFastLine = 500000;
constexpr int kNormalLine = 115200;

constexpr int kCodeKeypad = 1;
constexpr int kCodeFpgaPreparation = 16;
constexpr int kCodeModuleNotStarted = 11;
constexpr int kCodeProfilesFailed = 5;
constexpr int kCodeUserBandsPrimary = 26;
constexpr int kCodeUserBandsSecondary = 27;

constexpr std::uint8_t kPlanTypeZeroVersion = 112;
constexpr std::uint8_t kPlanTypeFourVersion = 111;

std::string Minutes(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%i min.\n", seconds / 60);
    return text;
}

}  // namespace

void Tventana_brisca::StartUpdate() {
    versionCheck.reset();
    SetActionPicture(kPictureUpdating, false);
    ProgressBar_general.visible = true;
    Label_progreso_general.visible = true;
    ShowSearchButton(false);
    SetInfoLines(texts.PASO4_L1, texts.PASO4_L2, texts.PASO4_L3);

    const bool stopped = RunUpdateSequence();

    if (!stopped) {
        SetActionPicture(kPictureUpdated, false);
        SetInfoLines(texts.PASO5_L1, texts.PASO5_L2, "");
    } else {
        SetActionPicture(kPictureFailed, false);
        if (eraseRefused) {
            SetInfoLines(texts.P6_E7_L1, texts.P6_E7_L2, texts.P6_E7_L3);
        } else {
            SetInfoLines(texts.P6_E4_L1 + " " + std::to_string(resultCode), texts.P6_E4_L2,
                         texts.P6_E4_L3);
        }
    }
    seams.pump.PumpOnce();
    Label_n1.visible = Label_n2.visible = Label_n3.visible = false;
    ProgressBar_general.visible = false;
    Label_progreso_general.visible = false;
    ShowSearchButton(false);
    stage = 0;
    EnableMenus(true);
    // A session that stopped without a code of its own was stopped by its user (Cancel on the
    // time question, no re-press, the window closed or the program interrupted).
    SessionEnd how = SessionEnd::Updated;
    if (stopped)
        how = eraseRefused      ? SessionEnd::EraseRefused
              : resultCode != 0 ? SessionEnd::Failed
                                : SessionEnd::Cancelled;
    Events().SessionEnded(how, resultCode);
    // The session's own account says updated; the meter, once back, is asked whether it agrees.
    if (how == SessionEnd::Updated && checkVersionsAfterUpdate && !exitRequested)
        CheckVersionsAfterUpdate();
}

bool Tventana_brisca::RunUpdateSequence() {
    // Everything the updaters use through the session view lives as long as this call.
    SessionContext session = Session();
    TFParam_defecto defaults(session, Facts());
    resultCode = 0;
    eraseRefused = false;
    ProgressBar_general.SetRange(0, 0);
    Barra_progreso.SetPosition(0);
    overallPosition = 0;

    const bool wow64 = IsWow64();
    const int extraFirmware = wow64 ? kExtraFirmwareWeightWow64 : 0;
    const int extraModule = wow64 ? kExtraModuleWeightWow64 : 0;

    // The keypad step moves the bar by its weight, so it counts in the estimate and the steps.
    int maximum = 0;
    stepTotal = 0;
    auto plan = [&](bool marked, int weight) {
        if (!marked)
            return;
        maximum += weight;
        ++stepTotal;
    };
    plan(Check_teclado.checked, kKeypadWeight);
    plan(Check_fpga.checked, kFpgaWeight);
    plan(Check_firmware.checked, kFirmwareWeight + extraFirmware);
    plan(Check_borrar.checked, kEraseWeight);
    plan(Check_planes.checked && !Check_firmware.checked, kPlansWeight);
    plan(Check_configuracion.checked, kZoneWeight);
    plan(Check_mpeg4_apl.checked, kModuleWeight + extraModule);
    ProgressBar_general.SetRange(0, maximum);

    sessionRunning = true;
    stopSession = false;

    stopSession = !AskTime(texts.TIEMPO_TOTAL1 + Minutes(maximum) + texts.AVISOMEM3);
    // Cancel on the time question ends the session as the user asked: no further question, no
    // step, no speed change; only the end runs.
    const bool declined = stopSession;

    plansSelected = false;
    plansTypeIsZero = false;
    if (!declined && Check_planes.checked) {
        plansSelected = true;
        if (plansType == 0 || plansType == 4) {
            plansExpectedVersion = plansType == 0 ? kPlanTypeZeroVersion : kPlanTypeFourVersion;
            if (plansStoredVersion != plansExpectedVersion) {
                {
                    auto buffer = std::make_unique<ChannelPlanImage>();
                    plansTypeIsZero = PlanNeedsErase(ClearChannelPlan(*buffer), plansType);
                }
                const int answer = Ask(QuestionKind::Plans, texts.AVISOPLAN1, texts.AVISOPLAN2,
                                       texts.AVISOPLAN3, texts.AVISOSI, texts.AVISONO);
                if (answer == 1) {
                    if (!Check_borrar.checked) {
                        Check_borrar.checked = true;
                        ++stepTotal;
                    }
                } else {
                    plansSelected = false;
                    Check_planes.checked = false;
                    if (!Check_firmware.checked)
                        --stepTotal;
                }
            }
        }
    }

    if (!declined && Check_borrar.checked) {
        const int answer = Ask(QuestionKind::Erase, texts.AVISOMEM1, texts.AVISOMEM2,
                               texts.AVISOMEM3, "OK", "CANCEL");
        if (answer == 1) {
            stopSession = false;
        } else {
            stopSession = true;
            eraseRefused = true;
        }
    }
    // The records are built after the questions, which may have changed the plan marks.
    defaults.facts = Facts();
    // A refused erase stops the session before any step; the line-speed change still follows.
    const bool stoppedByTheQuestions = stopSession;

    stepIndex = 0;
    bool lastStepResult = false;
    auto runs = [&](const CheckBox& mark) { return mark.checked && !stopSession; };
    auto showStep = [&](StepComponent component, bool pump) {
        ++stepIndex;
        Label_info3.caption =
            texts.PASO4_L3 + ": " + std::to_string(stepIndex) + "/" + std::to_string(stepTotal);
        Events().StepStarted(component, stepIndex, stepTotal);
        if (pump)
            seams.pump.PumpOnce();
    };
    auto record = [&](bool result) {
        lastStepResult = result;
        if (!stopSession)
            stopSession = !result;
    };
    auto endStep = [&](StepComponent component, bool succeeded) {
        Events().StepEnded(component, succeeded, resultCode);
    };
    auto advance = [&](int share) {
        overallPosition += share;
        ProgressBar_general.SetPosition(overallPosition);
    };
    auto notLast = [&] { return !stopSession && stepIndex < stepTotal; };

    if (runs(Check_teclado)) {
        showStep(StepComponent::Keypad, true);
        const bool programmed = RunKeypadStep(session);
        Dialogo_fichero.fileName.clear();
        connected = false;
        // The keypad's own failure codes are recorded by the programmer; the session must not
        // go on as if the keypad had been programmed. A keypad that ended with its silent
        // failure code, or could not be reached, records none: the session says it was the
        // keypad all the same.
        if (!programmed)
            session.RecordResult(kCodeKeypad);
        record(programmed);
        endStep(StepComponent::Keypad, programmed);
        if (notLast()) {
            seams.clock.SleepMs(kAfterKeypadMs);
            Reconnect();
        }
        advance(kKeypadShare);
    }

    if (runs(Check_borrar)) {
        showStep(StepComponent::Erase, true);
        // The pump may have stopped the session (the program interrupted): no erase then.
        const bool erased = !stopSession && EraseMemory();
        if (!stopSession)
            record(erased);
        endStep(StepComponent::Erase, erased);
        advance(kEraseWeight);
    }

    if (runs(Check_planes) && !Check_firmware.checked) {
        showStep(StepComponent::Plans, false);
        auto buffer = std::make_unique<ChannelPlanImage>();
        record(SendChannelPlan(session, *buffer, plansType));
        endStep(StepComponent::Plans, lastStepResult);
        if (notLast()) {
            seams.clock.SleepMs(kAfterPlansMs);
            Reconnect();
        }
        advance(kPlansWeight);
    }

    // After a step that failed nothing more is sent but the finish: a speed command would only
    // wait out its tries, record its own code over a failure that has none, and leave the
    // finish to go out at a speed the instrument may not have taken.
    if (!declined && !wow64 && (stoppedByTheQuestions || !stopSession)) {
        SetInstrumentBaud(kFastLine);
        SetPortBaud(kFastLine);
        seams.clock.SleepMs(kAfterLineSpeedMs);
    }

    bool zoneRetryWritten = false;
    if (runs(Check_configuracion)) {
        showStep(StepComponent::Zone, true);
        defaults.BuildZoneRecords();
        if (!stopSession)
            record(defaults.WriteZoneConfiguration());
        rePressed = false;
        if (resultCode == kCodeProfilesFailed) {
            // The instrument wants to be restarted by hand: wait for the search button.
            const std::string stepText = Label_info3.caption;
            ShowSearchButton(true);
            SetInfoLines(texts.PASO4_ERROR5_L1, texts.PASO4_ERROR5_L2, texts.PASO4_ERROR5_L3);
            Events().QuestionAsked({QuestionKind::RePress, "",
                                    texts.PASO4_ERROR5_L1 + "\n" + texts.PASO4_ERROR5_L2 + "\n" +
                                        texts.PASO4_ERROR5_L3,
                                    "press", "stop"});
            while (!rePressed && !exitRequested) {
                stage = 2;
                SetInfoLines(texts.PASO4_ERROR5_L1, texts.PASO4_ERROR5_L2, texts.PASO4_ERROR5_L3);
                seams.pump.WaitForEvent(kUserWaitSliceMs);
            }
            Events().QuestionAnswered(QuestionKind::RePress, rePressed && !exitRequested);
            stage = 1;
            ProgressBar_general.SetPosition(0);
            overallPosition = 0;
            ShowSearchButton(false);
            SetInfoLines(texts.PASO4_L1, texts.PASO4_L2, stepText);
            seams.pump.PumpOnce();
            SetPortBaud(kNormalLine);
            Reconnect();
            LinkContext link = Link();
            identityAfterRestart = ReadIdentity(link);
            if (exitRequested || identityAfterRestart != identityAtConnect) {
                stopSession = true;  // another instrument: nothing more is written to it
            } else {
                stopSession = !defaults.WriteZoneConfiguration();
                zoneRetryWritten = !stopSession;
            }
        }
        endStep(StepComponent::Zone, !stopSession);
    }

    if (!declined)
        seams.clock.SleepMs(kBeforeFpgaMs);

    if (runs(Check_fpga)) {
        bool result = false;
        diferencial = std::make_unique<TCDiferencial>(session, Loan());
        if (diferencial->PrepareLoader()) {
            LinkContext link = Link();
            graficos.ClearGraphicsArea(link, stepStartTime);
            graficos.SendPicture(link, 1);
            showStep(StepComponent::Fpga, false);
            TCFpga fpga(session, Check_firmware.checked);
            fpga.count = threeFpgaConfigurations ? 3 : 2;
            fpga.filePaths[0] = "TV";
            fpga.filePaths[1] = "DFT";
            fpga.filePaths[2] = "ECOS_DVBT2";
            seams.pump.PumpOnce();
            result = fpga.RunWrite();
        } else {
            session.RecordResult(kCodeFpgaPreparation);
        }
        record(result);
        endStep(StepComponent::Fpga, result);
        if (notLast() && !Check_firmware.checked)
            Reconnect();
        advance(kFpgaWeight);
    }

    if (runs(Check_firmware)) {
        showStep(StepComponent::Firmware, false);
        diferencial = std::make_unique<TCDiferencial>(session, Loan());
        record(diferencial->ProgramMainFirmware());
        endStep(StepComponent::Firmware, lastStepResult);
        diferencial.reset();
        advance(kFirmwareShare);
    }

    if (runs(Check_mpeg4_apl)) {
        showStep(StepComponent::Module, true);
        TMpeg4 module(session, graficos, usaUnit);
        bool result = false;
        if (lastStepResult) {
            result = module.Update();
        } else {
            session.RecordResult(kCodeModuleNotStarted);
        }
        record(result);
        endStep(StepComponent::Module, result);
        if (notLast()) {
            seams.clock.SleepMs(kAfterModuleMs);
            Reconnect();
        }
        advance(kModuleShare);
    }

    if (!stopSession) {
        SendFinish();
        if (!ReconnectAfterFinish() && !exitRequested)
            TellUsbError();
        if (connected) {
            defaults.SendClosingFrame();  // its answer is not used
            bool written = defaults.WriteUserBandsPrimary();
            seams.pump.PumpOnce();
            if (written) {
                written = defaults.WriteUserBandsSecondary();
            } else {
                session.RecordResult(kCodeUserBandsPrimary);
            }
            if (!written)
                session.RecordResult(kCodeUserBandsSecondary);
            stopSession = !written;
        } else {
            // The instrument did not come back for its closing records: they were not written,
            // so the update did not end well.
            session.RecordResult(kCodeUserBandsPrimary);
            stopSession = true;
        }
        seams.pump.PumpOnce();
    }
    // A failure recorded on the way without stopping the session (the line-speed command) still
    // makes it a failed one: success is never shown over a recorded result code. The one code
    // that is kept over a success is the 5 whose zone write went through on the retry after the
    // re-press.
    const bool onlyTheRetriedZone = resultCode == kCodeProfilesFailed && zoneRetryWritten;
    if (resultCode != 0 && !onlyTheRetriedZone)
        stopSession = true;

    SendFinish();
    if (connected)
        Boton_ConectarClick();
    // A link lost on the way leaves the port as the last reconnection or speed change opened
    // it; the window must not hold it while it waits for the next press.
    monitorPSerie.Close();
    // A session that stopped early may have left the PC's side at the fast speed; the next
    // connection must find the instrument, which comes back at the normal one.
    PortSettings.BaudRate = kNormalLine;
    diferencial.reset();
    sessionRunning = false;
    return stopSession;
}

bool Tventana_brisca::ReconnectAfterFinish() {
    seams.clock.SleepMs(kBeforeClosingMs);
    SetPortBaud(kNormalLine);
    return ReconnectQuietly();
}

}  // namespace kell
