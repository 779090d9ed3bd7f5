#include "app/sequence_steps.h"

#include <memory>

#include "app/ventana_brisca.h"
#include "config/channel_plan.h"
#include "config/param_defecto.h"
#include "link/progress_weights.h"
#include "modules/fpga_dialog.h"
#include "modules/keypad_step.h"
#include "modules/mpeg4_module.h"

namespace kell {
namespace {

constexpr std::uint32_t kAfterKeypadMs = 9000;
constexpr std::uint32_t kAfterPlansMs = 5000;
constexpr std::uint32_t kAfterLineSpeedMs = 1000;
constexpr std::uint32_t kBeforeFpgaMs = 5000;
constexpr std::uint32_t kAfterModuleMs = 17000;

constexpr int kFastLine = 500000;

constexpr int kCodeKeypad = 1;
constexpr int kCodeFpgaPreparation = 16;
constexpr int kCodeModuleNotStarted = 11;
constexpr int kCodeProfilesFailed = 5;

bool RunKeypad(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    const bool programmed = RunKeypadStep(run.session);
    window.controls.Dialogo_fichero.fileName.clear();
    run.session.connected = false;
    // The keypad's own failure codes are recorded by the programmer; the session must not go on
    // as if the keypad had been programmed. A keypad that ended with its silent failure code, or
    // could not be reached, records none: the session says it was the keypad all the same.
    if (!programmed)
        run.session.RecordResult(kCodeKeypad);
    return run.Record(programmed);
}

bool RunErase(SequenceRun& run) {
    // The pump may have stopped the session (the program interrupted): no erase then.
    if (run.session.stopSession)
        return false;
    return run.Record(run.window.EraseMemory());
}

bool RunPlans(SequenceRun& run) {
    auto buffer = std::make_unique<ChannelPlanImage>();
    return run.Record(SendChannelPlan(run.session, *buffer, run.window.Identification().plansType));
}

// After a step that failed nothing more is sent but the finish: a speed command would only wait
// out its tries, record its own code over a failure that has none, and leave the finish to go
// out at a speed the instrument may not have taken. Under 64-bit Windows the line stays slow.
void ChangeToFastLine(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    if (run.wow64 || !(run.stoppedByTheQuestions || !run.session.stopSession))
        return;
    window.SetInstrumentBaud(kFastLine);
    window.SetPortBaud(kFastLine);
    window.seams.clock.SleepMs(kAfterLineSpeedMs);
}

bool RunZone(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    run.defaults.BuildZoneRecords();
    if (!run.session.stopSession)
        run.Record(run.defaults.WriteZoneConfiguration());
    run.state.rePressed = false;
    // The instrument wants to be restarted by hand before its profiles take.
    if (run.session.resultCode == kCodeProfilesFailed)
        run.zoneRetryWritten = window.RetryZoneAfterRePress(run.defaults);
    return !run.session.stopSession;
}

void SettleBeforeFpga(SequenceRun& run) {
    run.window.seams.clock.SleepMs(kBeforeFpgaMs);
}

bool RunFpga(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    bool result = false;
    window.diferencial = std::make_unique<TCDiferencial>(run.session, window.Loan());
    if (window.diferencial->PrepareLoader()) {
        LinkContext link = window.Link();
        window.graficos.ClearGraphicsArea(link, run.session.stepStartTime);
        window.graficos.SendPicture(link, 1);
        window.ShowStep(StepComponent::Fpga, false);
        TCFpga fpga(run.session, window.controls.Check_firmware.checked);
        fpga.count = window.Identification().threeFpgaConfigurations ? 3 : 2;
        fpga.filePaths[0] = "TV";
        fpga.filePaths[1] = "DFT";
        fpga.filePaths[2] = "ECOS_DVBT2";
        window.seams.pump.PumpOnce();
        result = fpga.RunWrite();
    } else {
        run.session.RecordResult(kCodeFpgaPreparation);
    }
    return run.Record(result);
}

bool RunFirmware(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    window.diferencial = std::make_unique<TCDiferencial>(run.session, window.Loan());
    const bool result = run.Record(window.diferencial->ProgramMainFirmware());
    window.diferencial.reset();
    return result;
}

bool RunModule(SequenceRun& run) {
    Tventana_brisca& window = run.window;
    TMpeg4 module(run.session, window.graficos, window.Identification().usaUnit);
    bool result = false;
    if (run.lastStepResult) {
        result = module.Update();
    } else {
        run.session.RecordResult(kCodeModuleNotStarted);
    }
    return run.Record(result);
}

using W = MainWindowControls;

constexpr SequenceStep kSteps[] = {
    {.component = StepComponent::Keypad,
     .mark = &W::Check_teclado,
     .weight = weights::kKeypad,
     .run = RunKeypad,
     .after = AfterStep::ReconnectWhenMoreFollow,
     .pauseBeforeReconnectMs = kAfterKeypadMs,
     .advance = weights::kKeypadEnd},
    {.component = StepComponent::Erase,
     .mark = &W::Check_borrar,
     .weight = weights::kErase,
     .run = RunErase,
     .advance = weights::kErase},
    {.component = StepComponent::Plans,
     .mark = &W::Check_planes,
     .onlyWithoutFirmware = true,
     .weight = weights::kPlans,
     .stepText = StepText::Shown,
     .run = RunPlans,
     .after = AfterStep::ReconnectWhenMoreFollow,
     .pauseBeforeReconnectMs = kAfterPlansMs,
     .advance = weights::kPlans},
    // The zone write moves the bar itself.
    {.component = StepComponent::Zone,
     .mark = &W::Check_configuracion,
     .weight = weights::kZone,
     .before = ChangeToFastLine,
     .run = RunZone},
    {.component = StepComponent::Fpga,
     .mark = &W::Check_fpga,
     .weight = weights::kFpga,
     .before = SettleBeforeFpga,
     .stepText = StepText::ShownByTheStep,
     .run = RunFpga,
     .after = AfterStep::ReconnectWhenMoreFollowWithoutFirmware,
     .advance = weights::kFpga},
    {.component = StepComponent::Firmware,
     .mark = &W::Check_firmware,
     .weight = weights::kFirmware,
     .extraWeightOnWow64 = weights::kExtraFirmwareOnWow64,
     .stepText = StepText::Shown,
     .run = RunFirmware,
     .advance = weights::kFirmwareEnd},
    {.component = StepComponent::Module,
     .mark = &W::Check_mpeg4_apl,
     .weight = weights::kModule,
     .extraWeightOnWow64 = weights::kExtraModuleOnWow64,
     .run = RunModule,
     .after = AfterStep::ReconnectWhenMoreFollow,
     .pauseBeforeReconnectMs = kAfterModuleMs,
     .advance = weights::kModuleEnd},
};

}  // namespace

bool SequenceRun::Record(bool result) {
    lastStepResult = result;
    if (!session.stopSession)
        session.stopSession = !result;
    return result;
}

std::span<const SequenceStep> SequenceSteps() {
    return kSteps;
}

}  // namespace kell
