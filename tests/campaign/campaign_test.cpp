// The fault campaign: hundreds of whole sessions, each with its own instrument and faults drawn
// from its seed, and the promises every one of them must keep.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "tests/campaign/clean_runs.h"
#include "tests/campaign/reliability_bounds.h"
#include "tests/campaign/session_plan.h"
#include "tests/campaign/session_runner.h"

namespace kell::testing {
namespace {

constexpr std::uint64_t kDefaultSessions = 500;

std::uint64_t FromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return otherwise;
    return std::strtoull(text, nullptr, 10);
}

// The counts the campaign prints at its end.
struct Tally {
    int sessions = 0;
    int withFaults = 0;
    std::array<int, kFaultKinds> fired{};
    int updated = 0;
    std::map<int, int> failedByCode;
    int notFound = 0;
    int notUpdated = 0;
    int broken = 0;

    void Add(const SessionOutcome& o) {
        ++sessions;
        withFaults += o.FiredTotal() > 0 ? 1 : 0;
        for (int k = 0; k < kFaultKinds; ++k)
            fired[static_cast<std::size_t>(k)] += o.fired[static_cast<std::size_t>(k)];
        switch (o.shown) {
            case Shown::Updated:
                ++updated;
                break;
            case Shown::Failed:
                ++failedByCode[o.resultCode];
                break;
            case Shown::NotFound:
                ++notFound;
                break;
            case Shown::NotUpdated:
                ++notUpdated;
                break;
            case Shown::Other:
                break;
        }
    }

    void Print(int cleanRuns, double seconds) const {
        std::printf(
            "fault campaign: %d sessions (%d struck by faults), %d clean references, %.1f s\n",
            sessions, withFaults, cleanRuns, seconds);
        std::printf("  faults:  ");
        for (int k = 0; k < kFaultKinds; ++k)
            std::printf("%s %d%s", FaultKindName(static_cast<FaultKind>(k)),
                        fired[static_cast<std::size_t>(k)], k + 1 < kFaultKinds ? ", " : "\n");
        std::printf("  outcome: updated %d, not found %d, not updated %d, failed %d", updated,
                    notFound, notUpdated, sessions - updated - notFound - notUpdated);
        if (!failedByCode.empty()) {
            std::printf(" (code:count");
            for (const auto& [code, n] : failedByCode)
                std::printf(" %d:%d", code, n);
            std::printf(")");
        }
        std::printf("\n  broken promises: %d\n", broken);
    }
};

TEST(FaultCampaign, EverySessionEndsHonestlyInTimeAndWithThePortClosed) {
    const std::uint64_t onlySeed = FromEnvironment("KELL_CAMPAIGN_SEED", 0);
    const std::uint64_t sessions =
        onlySeed ? 1 : FromEnvironment("KELL_CAMPAIGN_SESSIONS", kDefaultSessions);
    // KELL_CAMPAIGN_VERBOSE=1 prints one line per session.
    const bool verbose = FromEnvironment("KELL_CAMPAIGN_VERBOSE", 0) != 0;
    const auto started = std::chrono::steady_clock::now();
    CleanRuns clean;
    Tally tally;

    for (std::uint64_t i = 0; i < sessions; ++i) {
        const SessionPlan plan = PlanSession(onlySeed ? onlySeed : i + 1);
        const std::string rerun =
            "\n  re-run alone: KELL_CAMPAIGN_SEED=" + std::to_string(plan.seed) + " " +
            ::testing::internal::GetArgvs()[0] + " --gtest_filter=FaultCampaign.*";
        std::string problem;
        const CleanFigures& reference = clean.For(plan.components, &problem);
        if (!problem.empty()) {
            ADD_FAILURE() << plan.Describe() << "\n  " << problem << rerun;
            continue;
        }
        const std::clock_t sessionStarted = std::clock();
        SessionOutcome outcome = RunSession(plan.components, plan.faults, &reference);
        if (verbose) {
            std::printf(
                "%s\n  -> %s, code %d, %.1f s virtual, %.0f ms of processor time\n",
                plan.Describe().c_str(), ShownName(outcome.shown), outcome.resultCode,
                outcome.durationUs / 1e6,
                1000.0 * static_cast<double>(std::clock() - sessionStarted) / CLOCKS_PER_SEC);
        }

        // The time bound: a session without faults of what it set out to update, and for each
        // fault that struck the most the waits it struck may run.
        const Components ran = ComponentsOf(outcome.planned, plan.components);
        const CleanFigures& ranReference = outcome.sessionRan ? clean.For(ran) : reference;
        std::int64_t boundMs = std::max(reference.durationUs, ranReference.durationUs) / 1000 +
                               outcome.FiredTotal() * bounds::PerFault(outcome.planned);
        for (const PlannedFault& f : plan.faults)
            boundMs += f.kind == FaultKind::LongRestart ? f.delayMs : 0;
        if (outcome.durationUs / 1000 > boundMs)
            outcome.problems.push_back("ran " + std::to_string(outcome.durationUs / 1'000'000) +
                                       " s, past its bound of " + std::to_string(boundMs / 1000) +
                                       " s");

        tally.Add(outcome);
        if (!outcome.problems.empty()) {
            ++tally.broken;
            std::string text;
            for (const std::string& p : outcome.problems)
                text += "\n  " + p;
            ADD_FAILURE() << plan.Describe() << "\n  ended " << ShownName(outcome.shown)
                          << " with result code " << outcome.resultCode << " after "
                          << outcome.durationUs / 1'000'000 << " s" << text << rerun << "\n"
                          << outcome.report;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    tally.Print(clean.Count(), seconds);
}

}  // namespace
}  // namespace kell::testing
