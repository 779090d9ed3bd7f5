// The update session after the gate: the questions, the steps of the table in sequence_steps.cpp,
// the closing, the end and the outcome shown.
#include <cstdio>
#include <memory>
#include <string>

#include "app/sequence_steps.h"
#include "app/ventana_brisca.h"
#include "app/version_rules.h"
#include "config/channel_plan.h"
#include "config/param_defecto.h"
#include "link/device_queries.h"

namespace kell {
namespace {

constexpr std::uint32_t kBeforeClosingMs = 10000;
// How long one wait for the re-press may block before the window is looked at again.
constexpr std::uint32_t kUserWaitSliceMs = 100;

constexpr int kNormalLine = 115200;

constexpr int kCodeUserBandsPrimary = 26;
constexpr int kCodeUserBandsSecondary = 27;

std::string Minutes(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%i min.\n", seconds / 60);
    return text;
}

}  // namespace

void Tventana_brisca::StartUpdate() {
    versionCheck.reset();
    SetActionPicture(kPictureUpdating, false);
    controls.ProgressBar_general.visible = true;
    controls.Label_progreso_general.visible = true;
    ShowSearchButton(false);
    SetInfoLines(texts.PASO4_L1, texts.PASO4_L2, texts.PASO4_L3);

    const bool stopped = RunUpdateSequence();

    if (!stopped) {
        SetActionPicture(kPictureUpdated, false);
        SetInfoLines(texts.PASO5_L1, texts.PASO5_L2, "");
    } else {
        SetActionPicture(kPictureFailed, false);
        if (state_.eraseRefused) {
            SetInfoLines(texts.P6_E7_L1, texts.P6_E7_L2, texts.P6_E7_L3);
        } else {
            SetInfoLines(texts.P6_E4_L1 + " " + std::to_string(state_.resultCode), texts.P6_E4_L2,
                         texts.P6_E4_L3);
        }
    }
    seams.pump.PumpOnce();
    controls.Label_n1.visible = controls.Label_n2.visible = controls.Label_n3.visible = false;
    controls.ProgressBar_general.visible = false;
    controls.Label_progreso_general.visible = false;
    ShowSearchButton(false);
    state_.stage = 0;
    EnableMenus(true);
    // A session that stopped without a code of its own was stopped by its user (Cancel on the
    // time question, no re-press, the window closed or the program interrupted).
    SessionEnd how = SessionEnd::Updated;
    if (stopped)
        how = state_.eraseRefused      ? SessionEnd::EraseRefused
              : state_.resultCode != 0 ? SessionEnd::Failed
                                       : SessionEnd::Cancelled;
    Events().SessionEnded(how, state_.resultCode);
    // The session's own account says updated; the meter, once back, is asked whether it agrees.
    if (how == SessionEnd::Updated && checkVersionsAfterUpdate && !state_.exitRequested)
        CheckVersionsAfterUpdate();
}

bool Tventana_brisca::RunUpdateSequence() {
    // Everything the updaters use through the session view lives as long as this call.
    SessionContext session = Session();
    TFParam_defecto defaults(session, Facts());
    SequenceRun run{*this, state_, session, defaults};
    run.wow64 = IsWow64();
    state_.resultCode = 0;
    state_.eraseRefused = false;
    controls.ProgressBar_general.SetRange(0, 0);
    controls.Barra_progreso.SetPosition(0);
    state_.overallPosition = 0;

    // Every planned step counts in the estimate and the steps, the keypad too: it moves the bar
    // by its weight and its step text counts it.
    int maximum = 0;
    state_.stepTotal = 0;
    for (const SequenceStep& step : SequenceSteps()) {
        if (!Planned(step))
            continue;
        maximum += step.weight + (run.wow64 ? step.extraWeightOnWow64 : 0);
        ++state_.stepTotal;
    }
    controls.ProgressBar_general.SetRange(0, maximum);

    state_.sessionRunning = true;
    state_.stopSession = false;

    state_.stopSession = !AskTime(texts.TIEMPO_TOTAL1 + Minutes(maximum) + texts.AVISOMEM3);
    // Cancel on the time question ends the session as the user asked: no further question, no
    // step, no speed change; only the end runs.
    run.declined = state_.stopSession;

    state_.plansSelected = false;
    state_.plansTypeIsZero = false;
    if (!run.declined && controls.Check_planes.checked)
        AskAboutPlans();
    if (!run.declined && controls.Check_borrar.checked) {
        const bool erase = Ask(QuestionKind::Erase, texts.AVISOMEM1, texts.AVISOMEM2,
                               texts.AVISOMEM3, "OK", "CANCEL") == 1;
        state_.stopSession = !erase;
        state_.eraseRefused = !erase;
    }
    // The records are built after the questions, which may have changed the plan marks.
    defaults.facts = Facts();
    // A refused erase stops the session before any step; the line-speed change still follows.
    run.stoppedByTheQuestions = state_.stopSession;

    state_.stepIndex = 0;
    for (const SequenceStep& step : SequenceSteps())
        RunStep(step, run);

    if (!state_.stopSession)
        CloseSession(defaults, session);
    // A failure recorded on the way without stopping the session (the line-speed command) still
    // makes it a failed one: success is never shown over a recorded result code. The one code
    // that is kept over a success is the 5 whose zone write went through on the retry after the
    // re-press (the retry runs only after that code, which stays the session's first).
    if (state_.resultCode != 0 && !run.zoneRetryWritten)
        state_.stopSession = true;

    SendFinish();
    if (connection_.connected)
        Boton_ConectarClick();
    // A link lost on the way leaves the port as the last reconnection or speed change opened
    // it; the window must not hold it while it waits for the next press.
    monitorPSerie.Close();
    // A session that stopped early may have left the PC's side at the fast speed; the next
    // connection must find the instrument, which comes back at the normal one.
    connection_.PortSettings.BaudRate = kNormalLine;
    diferencial.reset();
    state_.sessionRunning = false;
    return state_.stopSession;
}

bool Tventana_brisca::Planned(const SequenceStep& step) const {
    return (controls.*step.mark).checked &&
           !(step.onlyWithoutFirmware && controls.Check_firmware.checked);
}

void Tventana_brisca::AskAboutPlans() {
    state_.plansSelected = true;
    // Only the plan types with a carried table are asked about.
    if (identification_.plansType != 0 && identification_.plansType != 4)
        return;
    identification_.plansExpectedVersion = PlansExpectedVersion(identification_.plansType);
    if (identification_.plansStoredVersion == identification_.plansExpectedVersion)
        return;
    {
        auto buffer = std::make_unique<ChannelPlanImage>();
        state_.plansTypeIsZero =
            PlanNeedsErase(ClearChannelPlan(*buffer), identification_.plansType);
    }
    const bool plansPlanned = controls.Check_planes.checked && !controls.Check_firmware.checked;
    const int answer = Ask(QuestionKind::Plans, texts.AVISOPLAN1, texts.AVISOPLAN2,
                           texts.AVISOPLAN3, texts.AVISOSI, texts.AVISONO);
    if (answer == 1) {
        // New plans need the stored data erased; the maximum is not changed.
        if (!controls.Check_borrar.checked) {
            controls.Check_borrar.checked = true;
            ++state_.stepTotal;
        }
    } else {
        state_.plansSelected = false;
        controls.Check_planes.checked = false;
        if (plansPlanned)
            --state_.stepTotal;
    }
}

void Tventana_brisca::ShowStep(StepComponent component, bool pump) {
    ++state_.stepIndex;
    controls.Label_info3.caption = texts.PASO4_L3 + ": " + std::to_string(state_.stepIndex) + "/" +
                                   std::to_string(state_.stepTotal);
    Events().StepStarted(component, state_.stepIndex, state_.stepTotal);
    if (pump)
        seams.pump.PumpOnce();
}

void Tventana_brisca::RunStep(const SequenceStep& step, SequenceRun& run) {
    if (step.before && !run.declined)
        step.before(run);
    if (!Planned(step) || state_.stopSession)
        return;
    if (step.stepText != StepText::ShownByTheStep)
        ShowStep(step.component, step.stepText == StepText::ShownAndPumped);
    const bool succeeded = step.run(run);
    Events().StepEnded(step.component, succeeded, state_.resultCode);

    // No reconnection after the last planned step: the closing reconnects on its own terms.
    const bool moreFollow = !state_.stopSession && state_.stepIndex < state_.stepTotal;
    const bool reconnects = step.after == AfterStep::ReconnectWhenMoreFollow ||
                            (step.after == AfterStep::ReconnectWhenMoreFollowWithoutFirmware &&
                             !controls.Check_firmware.checked);
    if (reconnects && moreFollow) {
        seams.clock.SleepMs(step.pauseBeforeReconnectMs);
        Reconnect();
    }
    if (step.advance != 0) {
        state_.overallPosition += step.advance;
        controls.ProgressBar_general.SetPosition(state_.overallPosition);
    }
}

bool Tventana_brisca::RetryZoneAfterRePress(TFParam_defecto& defaults) {
    // The instrument wants to be restarted by hand: wait for the search button.
    const std::string stepText = controls.Label_info3.caption;
    ShowSearchButton(true);
    SetInfoLines(texts.PASO4_ERROR5_L1, texts.PASO4_ERROR5_L2, texts.PASO4_ERROR5_L3);
    Events().QuestionAsked(
        {QuestionKind::RePress, "",
         texts.PASO4_ERROR5_L1 + "\n" + texts.PASO4_ERROR5_L2 + "\n" + texts.PASO4_ERROR5_L3,
         "press", "stop"});
    while (!state_.rePressed && !state_.exitRequested) {
        state_.stage = 2;
        SetInfoLines(texts.PASO4_ERROR5_L1, texts.PASO4_ERROR5_L2, texts.PASO4_ERROR5_L3);
        seams.pump.WaitForEvent(kUserWaitSliceMs);
    }
    Events().QuestionAnswered(QuestionKind::RePress, state_.rePressed && !state_.exitRequested);
    state_.stage = 1;
    controls.ProgressBar_general.SetPosition(0);
    state_.overallPosition = 0;
    ShowSearchButton(false);
    SetInfoLines(texts.PASO4_L1, texts.PASO4_L2, stepText);
    seams.pump.PumpOnce();
    SetPortBaud(kNormalLine);
    Reconnect();
    LinkContext link = Link();
    identification_.identityAfterRestart = ReadIdentity(link);
    if (state_.exitRequested ||
        identification_.identityAfterRestart != identification_.identityAtConnect) {
        state_.stopSession = true;  // another instrument: nothing more is written to it
        return false;
    }
    state_.stopSession = !defaults.WriteZoneConfiguration();
    return !state_.stopSession;
}

void Tventana_brisca::CloseSession(TFParam_defecto& defaults, SessionContext& session) {
    SendFinish();
    if (!ReconnectAfterFinish() && !state_.exitRequested)
        TellUsbError();
    if (connection_.connected) {
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
        state_.stopSession = !written;
    } else {
        // The instrument did not come back for its closing records: they were not written, so
        // the update did not end well.
        session.RecordResult(kCodeUserBandsPrimary);
        state_.stopSession = true;
    }
    seams.pump.PumpOnce();
}

bool Tventana_brisca::ReconnectAfterFinish() {
    seams.clock.SleepMs(kBeforeClosingMs);
    SetPortBaud(kNormalLine);
    return ReconnectQuietly();
}

}  // namespace kell
