#include "firmware/diferencial.h"

#include <array>

#include "link/block_transfer.h"
#include "link/byte_wait.h"
#include "link/progress_weights.h"
#include "link/shared_frames.h"

namespace kell {

namespace {

// Result codes of the main firmware step.
constexpr int kResultStream = 20;
constexpr int kResultPlanTable = 21;
constexpr int kResultStopped = 22;
constexpr int kResultCommit = 23;

// The channel-plan table lives in segment 0x1E; a table of type 0 runs on into 0x1F.
constexpr std::size_t kPlanPage = 30;
constexpr std::size_t kPlanSpillPage = 31;

constexpr int kProgressPicture = 1;
constexpr int kAcceptedPicture = 2;

}  // namespace

TCDiferencial::TCDiferencial(const SessionContext& session, const MainWindowLoan& loan)
    : pages(loan.pagePresent), session_(session), loan_(loan) {}

bool TCDiferencial::SendBlock(std::span<const std::uint8_t> data, std::uint16_t address) {
    return kell::SendBlock(Link(), bankByte, address, data, kMainFlashBlocks);
}

void TCDiferencial::SendClosing() {
    SendLoaderClosing(Link());
}

void TCDiferencial::MarkPlanPages() {
    // The plan pages are streamed and committed only when new plans were accepted.
    loan_.pagePresent[kPlanPage] = loan_.plansSelected;
    loan_.pagePresent[kPlanSpillPage] = loan_.plansSelected && loan_.plansTypeIsZero;
    pages = loan_.pagePresent;
}

bool TCDiferencial::ProgramMainFirmware() {
    LinkContext& link = Link();
    bool ok = true;
    session_.stopSession = false;
    session_.Timer_desconexion.enabled = false;

    if (!session_.connected) {
        // Nothing can be written over a link that is down; that is a failed step, not a
        // successful one.
        ok = false;
        session_.RecordResult(kResultStream);
    } else {
        session_.stepStartTime = link.clock.Seconds();
        MarkPlanPages();
        // Without the FPGA step nobody has started the loader yet.
        if (!loan_.checkFpga)
            ok = RunLoaderStages();
        loan_.graficos.ClearGraphicsArea(link, session_.stepStartTime);
        loan_.graficos.SendPicture(link, kProgressPicture);
        if (session_.stopSession)
            ok = false;
        if (!loan_.checkFpga)
            ok = EraseStaging();
        if (ok)
            ok = StreamFirmware();
        if (!ok)
            session_.RecordResult(kResultStream);
        else if (loan_.plansSelected)
            ok = SendPlanTable();
        if (ok)
            loan_.graficos.SendPicture(link, kAcceptedPicture);
        else
            session_.RecordResult(kResultPlanTable);
        if (session_.stopSession) {
            ok = false;
            session_.RecordResult(kResultStopped);
        }
        session_.overallPosition += weights::kFirmwareStream;
        session_.ProgressBar_general.SetPosition(session_.overallPosition);
        if (ok) {
            ok = CommitFlash();
            if (!ok)
                session_.RecordResult(kResultCommit);
        }
        // The staging area is left empty whatever happened.
        EraseStaging();
    }

    session_.Barra_progreso.SetPosition(session_.Barra_progreso.minimum);
    session_.ProgressBar_general.SetPosition(session_.ProgressBar_general.minimum);
    link.pump.PumpOnce();
    return ok;
}

}  // namespace kell
