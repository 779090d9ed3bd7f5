#include "tests/campaign/session_runner.h"

#include <cstdlib>
#include <memory>

#include "tests/campaign/campaign_rig.h"

namespace kell::testing {
namespace {

std::uint64_t Place(double at, std::uint64_t total) {
    return total == 0 ? 0 : std::min(total - 1, static_cast<std::uint64_t>(at * total));
}

LineFaults::Fault LineFault(LineFaults::Kind kind, std::uint64_t at, std::uint8_t bit = 0,
                            std::vector<std::uint8_t> stray = {}) {
    LineFaults::Fault fault;
    fault.kind = kind;
    fault.atByte = at;
    fault.bit = bit;
    fault.stray = std::move(stray);
    return fault;
}

void Count(SessionOutcome& outcome, FaultKind kind, int n = 1) {
    outcome.fired[static_cast<std::size_t>(kind)] += n;
}

// Places every fault: line faults at a byte, the instrument's own at a moment or a restart.
// Returns the restart occurrences a long restart was armed for.
std::vector<int> PlaceFaults(CampaignRig& rig, const std::vector<PlannedFault>& faults,
                             const CleanFigures& clean, SessionOutcome& outcome) {
    std::vector<int> restarts;
    const std::int64_t start = rig.NowUs();
    for (const PlannedFault& f : faults) {
        const std::uint64_t toHost = Place(f.at, clean.bytesToHost);
        const std::int64_t when = start + static_cast<std::int64_t>(f.at * clean.durationUs);
        switch (f.kind) {
            case FaultKind::LostByte:
                rig.faults.Add(f.toDevice ? LineFault(LineFaults::Kind::LoseToDevice,
                                                      Place(f.at, clean.bytesToDevice))
                                          : LineFault(LineFaults::Kind::LoseToHost, toHost));
                break;
            case FaultKind::FlippedBit:
                rig.faults.Add(LineFault(LineFaults::Kind::FlipToHost, toHost, f.bit));
                break;
            case FaultKind::StrayBytes:
                rig.faults.Add(LineFault(LineFaults::Kind::StrayToHost, toHost, 0, f.stray));
                break;
            case FaultKind::MissingAnswer:
                rig.faults.Add(LineFault(LineFaults::Kind::DropAnswer, toHost));
                break;
            case FaultKind::LeaveLink:
                rig.clock.At(when, [&rig, &outcome] {
                    if (rig.instrument->Unplugged())
                        return;
                    rig.instrument->LeaveLink();
                    Count(outcome, FaultKind::LeaveLink);
                });
                break;
            case FaultKind::Unplug:
                rig.clock.At(when, [&rig, &outcome] {
                    if (rig.instrument->Unplugged())
                        return;
                    rig.instrument->Unplug();
                    Count(outcome, FaultKind::Unplug);
                });
                break;
            case FaultKind::LongRestart: {
                const int occurrence =
                    1 + static_cast<int>(Place(f.at, static_cast<std::uint64_t>(clean.restarts)));
                rig.instrument->AddFault(
                    {sim::Event::Restart, sim::Action::Delay, occurrence, 1, {}, f.delayMs});
                restarts.push_back(occurrence);
                break;
            }
        }
    }
    return restarts;
}

Shown ShownOf(const Tventana_brisca& w) {
    switch (w.controls.Image_accion.index) {
        case kPictureUpdated:
            return Shown::Updated;
        case kPictureFailed:
            return Shown::Failed;
        case kPictureNotFound:
            return Shown::NotFound;
        case kPictureNotUpdated:
            return Shown::NotUpdated;
        default:
            return Shown::Other;
    }
}

// The outcome shown must be the one the first recorded result code stands for.
void CheckShownOutcome(const Tventana_brisca& w, SessionOutcome& outcome) {
    const std::string& line1 = w.controls.Label_info1.caption;
    switch (outcome.shown) {
        case Shown::Updated:
            if (w.State().resultCode != 0)
                outcome.problems.push_back("updated shown with result code " +
                                           std::to_string(w.State().resultCode));
            if (line1 != w.texts.PASO5_L1)
                outcome.problems.push_back("updated shown with the text \"" + line1 + "\"");
            break;
        case Shown::Failed:
            // A failure without a code of its own shows code 0 (the erase step, the identity
            // check after a restart by hand, the secondary list copy): that is as designed.
            if (line1 != w.texts.P6_E4_L1 + " " + std::to_string(w.State().resultCode))
                outcome.problems.push_back("failure with result code " +
                                           std::to_string(w.State().resultCode) + " shown as \"" +
                                           line1 + "\"");
            break;
        case Shown::NotFound:
        case Shown::NotUpdated:
            if (outcome.sessionRan)
                outcome.problems.push_back("an update session ended with the search's picture");
            break;
        case Shown::Other:
            outcome.problems.push_back("session ended showing picture " +
                                       std::to_string(w.controls.Image_accion.index));
            break;
    }
}

}  // namespace

const char* ShownName(Shown shown) {
    switch (shown) {
        case Shown::Updated:
            return "updated";
        case Shown::Failed:
            return "failed";
        case Shown::NotFound:
            return "not found";
        case Shown::NotUpdated:
            return "not updated";
        case Shown::Other:
            return "other";
    }
    return "?";
}

int SessionOutcome::FiredTotal() const {
    int total = 0;
    for (int n : fired)
        total += n;
    return total;
}

SessionOutcome RunSession(const Components& components, const std::vector<PlannedFault>& faults,
                          const CleanFigures* clean) {
    SessionOutcome outcome;
    // KELL_CAMPAIGN_REPORT=n keeps the instrument's transcript for the account of a session
    // that broke a promise, with its last n entries.
    const char* report = std::getenv("KELL_CAMPAIGN_REPORT");
    const std::size_t reportTail = report ? std::strtoull(report, nullptr, 10) : 0;
    sim::Scenario scenario = ScenarioFor(components);
    scenario.keepTranscript = reportTail > 0;
    auto rig = std::make_unique<CampaignRig>(std::move(scenario));
    rig->beforeSession = [&components](Tventana_brisca& w) {
        if (components.keypad)
            w.controls.Check_teclado.checked = true;
        if (components.zone)
            w.controls.Check_configuracion.checked = true;
    };
    std::vector<int> restarts;
    if (clean && !faults.empty())
        restarts = PlaceFaults(*rig, faults, *clean, outcome);

    const std::int64_t start = rig->NowUs();
    rig->Search();
    outcome.durationUs = rig->NowUs() - start;

    const Tventana_brisca& w = *rig->window;
    outcome.shown = ShownOf(w);
    outcome.resultCode = w.State().resultCode;
    outcome.sessionRan = rig->sessionStarted;
    outcome.planned = {w.controls.Check_teclado.checked,       w.controls.Check_planes.checked,
                       w.controls.Check_configuracion.checked, w.controls.Check_fpga.checked,
                       w.controls.Check_firmware.checked,      w.controls.Check_mpeg4_apl.checked};

    const LineFaults& line = rig->faults;
    Count(outcome, FaultKind::LostByte,
          line.Fired(LineFaults::Kind::LoseToHost) + line.Fired(LineFaults::Kind::LoseToDevice));
    Count(outcome, FaultKind::FlippedBit, line.Fired(LineFaults::Kind::FlipToHost));
    Count(outcome, FaultKind::StrayBytes, line.Fired(LineFaults::Kind::StrayToHost));
    Count(outcome, FaultKind::MissingAnswer, line.Fired(LineFaults::Kind::DropAnswer));
    for (int occurrence : restarts) {
        if (rig->instrument->Restarts() >= occurrence)
            Count(outcome, FaultKind::LongRestart);
    }

    outcome.figures = {outcome.durationUs, line.BytesToHost(), line.BytesToDevice(),
                       rig->instrument->Restarts(), TakeEepromSnapshot(*rig->instrument)};

    outcome.violations = rig->instrument->Violations().Entries().size();
    CheckShownOutcome(w, outcome);
    if (rig->serial.IsOpen())
        outcome.problems.push_back("the port was left open");
    if (outcome.shown == Shown::Updated) {
        const InstrumentTruth truth{components.planType, components.threeFpgaConfigurations};
        const EepromSnapshot& records = clean ? clean->records : outcome.figures.records;
        for (std::string& d : Differences(*rig->instrument, outcome.planned, truth, records))
            outcome.problems.push_back("updated shown, but " + d);
    }
    if (reportTail > 0)
        outcome.report = rig->instrument->Report(reportTail);
    return outcome;
}

}  // namespace kell::testing
