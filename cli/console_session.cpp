#include "cli/console_session.h"

#include <QJsonDocument>

#include "app/ventana_brisca.h"
#include "cli/console_pump.h"
#include "cli/console_view.h"
#include "cli/json_report.h"
#include "cli/options.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"

namespace kell::cli {
namespace {

// With --wait, the pause between a search that found nothing and the next one.
constexpr std::int64_t kSearchAgainUs = 2'000'000;
constexpr std::uint32_t kSearchAgainSliceMs = 100;

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
        w.ForgetFailedSearches();
    }
}

}  // namespace

Outcome RunAndJudge(ConsoleParts console, const Options& options, const std::string& port,
                    std::ostream& jsonOut) {
    Tventana_brisca& w = console.window;
    Search(console, options);
    console.record.Finish(w);

    // The window asked the meter again for its versions after an update (the events printed
    // it); an update the user interrupted is judged without it.
    std::optional<VersionCheck> after;
    const bool interrupted = console.pump.Interrupted();
    if (console.record.HowItEnded() == Ending::Updated && !interrupted)
        after = console.record.After();
    std::optional<bool> verified;
    if (after)
        verified = after->Verified();
    const Outcome outcome = DecideOutcome(
        console.record.HowItEnded(), w.State().resultCode, w.State().eraseRefused,
        interrupted || console.desk.StoppedByAnswer(), verified, console.view.Words());
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
