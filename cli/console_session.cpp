#include "cli/console_session.h"

#include <QJsonDocument>

#include "app/ventana_brisca.h"
#include "cli/console_pump.h"
#include "cli/console_view.h"
#include "cli/instrument_versions.h"
#include "cli/json_report.h"
#include "cli/options.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"

namespace kell::cli {
namespace {

// With --wait, the pause between a search that found nothing and the next one.
constexpr std::int64_t kSearchAgainUs = 2'000'000;
constexpr std::uint32_t kSearchAgainSliceMs = 100;

// Asks the instrument what it now holds, over a link of its own that ends again afterwards.
// The instrument restarts after the session's finish bytes: it gets the time the session's own
// closing gives it to come back, and is only reported silent when it does not within that.
VersionsAfter ReadBack(Tventana_brisca& w, const PlanMarks& plan) {
    VersionsAfter after;
    after.answered = w.ReconnectAfterFinish();
    if (!after.answered)
        return after;
    LinkContext link = w.Link();
    const InstrumentVersions versions = ReadInstrumentVersions(link);
    after.checks = CheckAgainstCarried(versions, w.EmbeddedVersion(), plan.firmware, plan.fpga,
                                       plan.plans, plan.module);
    w.Boton_ConectarClick();
    return after;
}

void PrintChecks(ConsoleView& view, const VersionsAfter& after) {
    if (!after.answered) {
        view.Say(
            "The meter did not come back after its restart, so its versions could not be "
            "checked: the update is unverified. Restart the meter by hand and run the program "
            "again to check it.");
        return;
    }
    std::string text = "The meter now reports:";
    for (const ComponentCheck& check : after.checks) {
        std::string name = check.component;
        name.resize(10, ' ');
        text += "\n  " + name + check.reported +
                (check.current ? "  (current)" : "  (not current)") +
                (check.planned ? "" : "  (not updated)");
    }
    view.Say(text);
}

// Presses the search button as a user does: the first press arms the search, the second
// searches and updates what it finds. With --wait a search that found no meter is made again
// every few seconds, each over a fresh list of ports, until one answers or the time is up.
void Search(ConsoleParts& console, const Options& options) {
    Tventana_brisca& w = console.window;
    // The window's own pump: it tells the console what the window shows before each pass.
    const std::int64_t endUs =
        console.clock.MonotonicUs() + std::int64_t{options.waitSeconds} * 1'000'000;
    for (;;) {
        w.seams.pump.PumpOnce();
        w.Button_buscar_puertoClick();
        w.seams.pump.PumpOnce();
        w.Button_buscar_puertoClick();
        w.seams.pump.PumpOnce();
        if (console.record.HowItEnded() != Ending::NotFound || console.pump.Interrupted() ||
            console.clock.MonotonicUs() >= endUs)
            return;
        const std::int64_t nextUs = console.clock.MonotonicUs() + kSearchAgainUs;
        while (console.clock.MonotonicUs() < nextUs && !console.pump.Interrupted())
            w.seams.pump.WaitForEvent(kSearchAgainSliceMs);
        // The window offers its manual port panel after two empty searches; the console has
        // none to offer, and keeps searching every port.
        w.failedSearches = 0;
    }
}

}  // namespace

Outcome RunAndJudge(ConsoleParts console, const Options& options, const std::string& port,
                    std::ostream& jsonOut) {
    Tventana_brisca& w = console.window;
    Search(console, options);
    console.record.Finish(w);

    std::optional<VersionsAfter> after;
    const bool interrupted = console.pump.Interrupted();
    if (console.record.HowItEnded() == Ending::Updated && !interrupted && console.record.Plan()) {
        console.view.Say(
            "Waiting for the meter to restart, then asking it for the versions it now holds...");
        after = ReadBack(w, *console.record.Plan());
        if (!options.json)
            PrintChecks(console.view, *after);
    }
    std::optional<bool> verified;
    if (after)
        verified = after->answered && AllPlannedCurrent(after->checks);
    const Outcome outcome = DecideOutcome(console.record.HowItEnded(), w.resultCode, w.eraseRefused,
                                          interrupted || console.desk.StoppedByAnswer(), verified,
                                          console.view.Words());
    console.view.Finish();
    if (options.json) {
        const QJsonDocument report(BuildReport(outcome, w, console.record, port, after));
        jsonOut << report.toJson(QJsonDocument::Indented).toStdString();
        jsonOut.flush();
    } else {
        console.view.Say("\n" + outcome.summary);
    }
    return outcome;
}

}  // namespace kell::cli
