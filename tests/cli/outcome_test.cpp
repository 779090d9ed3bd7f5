#include "cli/outcome.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "app/instrument_versions.h"
#include "app/ventana_brisca.h"
#include "cli/json_report.h"
#include "tests/cli/cli_rig.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

TEST(SessionOutcome, HowTheCoreSaysItEndedDecidesTheExitStatus) {
    struct Case {
        Ending ending;
        bool eraseRefused;
        bool cancelled;
        std::optional<bool> verified;
        const char* name;
        int status;
    };
    const Case cases[] = {
        {Ending::Updated, false, false, std::nullopt, "updated", kExitUpdated},
        {Ending::Updated, false, false, true, "updated", kExitUpdated},
        {Ending::Updated, false, false, false, "unverified", kExitFailed},
        {Ending::NotFound, false, false, std::nullopt, "not-found", kExitNoInstrument},
        {Ending::NotUpdated, false, false, std::nullopt, "not-updated", kExitNotUpdated},
        {Ending::Failed, false, false, std::nullopt, "failed", kExitFailed},
        {Ending::Failed, true, false, std::nullopt, "cancelled", kExitFailed},
        {Ending::Failed, false, true, std::nullopt, "cancelled", kExitFailed},
        {Ending::NotFound, false, true, std::nullopt, "cancelled", kExitFailed},
        {Ending::Cancelled, false, false, std::nullopt, "cancelled", kExitFailed},
        {Ending::EraseRefused, false, false, std::nullopt, "cancelled", kExitFailed},
        {Ending::None, false, false, std::nullopt, "incomplete", kExitFailed},
    };
    for (const Case& c : cases) {
        const Outcome o = DecideOutcome(c.ending, 20, c.eraseRefused, c.cancelled, c.verified);
        EXPECT_EQ(o.name, c.name) << static_cast<int>(c.ending);
        EXPECT_EQ(o.exitStatus, c.status) << static_cast<int>(c.ending);
    }
    EXPECT_NE(DecideOutcome(Ending::Failed, 20, false, false, {}).summary.find("20"),
              std::string::npos);
}

InstrumentVersions Current() {
    InstrumentVersions v;
    v.firmware = "2.04.00000";
    v.fpgaMajor = 3;
    v.fpgaMinor = 4;
    v.plansTypeByte = 1;
    v.plansVersion = 103;
    v.module = {162, 0, 1, 1};
    return v;
}

TEST(VersionsAfter, EachComponentIsJudgedByTheIdentificationsRules) {
    auto checks = CheckAgainstCarried(Current(), "2.04.00000", true, true, true, true);
    ASSERT_EQ(checks.size(), 4u);
    for (const ComponentCheck& check : checks)
        EXPECT_TRUE(check.current) << check.component << " " << check.reported;
    EXPECT_TRUE(AllPlannedCurrent(checks));
    EXPECT_EQ(checks[1].reported, "3.4");

    InstrumentVersions old = Current();
    old.firmware = "1.89.00000";
    old.fpgaMinor = 3;
    old.plansTypeByte = 4;  // judged by its own carried version, 111
    old.plansVersion = 111;
    old.module = {};  // silent: proves nothing
    checks = CheckAgainstCarried(old, "2.04.00000", true, true, false, false);
    EXPECT_FALSE(checks[0].current);
    EXPECT_FALSE(checks[1].current);
    EXPECT_TRUE(checks[2].current);
    EXPECT_FALSE(checks[3].current);
    EXPECT_EQ(checks[3].reported, "no answer");
    EXPECT_FALSE(AllPlannedCurrent(checks));
    // What the session did not plan is reported but does not count.
    checks = CheckAgainstCarried(old, "2.04.00000", false, false, false, false);
    EXPECT_TRUE(AllPlannedCurrent(checks));

    // A reading whose replies never agreed proves nothing, whatever its bytes.
    InstrumentVersions noisy = Current();
    noisy.fpgaAgreed = false;
    checks = CheckAgainstCarried(noisy, "2.04.00000", true, true, true, true);
    EXPECT_FALSE(checks[1].current);
    EXPECT_EQ(checks[1].reported, "replies disagree");
    EXPECT_TRUE(checks[0].current && checks[2].current && checks[3].current);
    EXPECT_FALSE(AllPlannedCurrent(checks));
}

TEST(JsonReport, CarriesTheOutcomeTextsAndWhatTheMeterReportsAfterwards) {
    CliRig rig;
    Tventana_brisca& w = rig.w();
    rig.record.End(Ending::NotFound);
    rig.record.Finish(w);
    QJsonObject report = BuildReport(DecideOutcome(Ending::NotFound, 0, false, false, {}), w,
                                     rig.record, "/dev/pts/9", std::nullopt);
    EXPECT_EQ(report["outcome"].toString(), "not-found");
    EXPECT_EQ(report["exitStatus"].toInt(), kExitNoInstrument);
    EXPECT_EQ(report["port"].toString(), "/dev/pts/9");
    EXPECT_EQ(report["version"].toString(), "Version 2.04");
    EXPECT_EQ(report["texts"].toArray().size(), 3);
    EXPECT_TRUE(report["after"].isNull());
    EXPECT_FALSE(report.contains("before")) << "no instrument answered";

    rig.record.End(Ending::Updated);
    VersionCheck after{true, CheckAgainstCarried(Current(), "2.04.00000", true, true, true, false)};
    report = BuildReport(DecideOutcome(Ending::Updated, 0, false, false, true), w, rig.record,
                         "/dev/pts/9", after);
    const QJsonObject afterObject = report["after"].toObject();
    EXPECT_TRUE(afterObject["verified"].toBool());
    const QJsonObject firmware = afterObject["components"].toObject()["firmware"].toObject();
    EXPECT_EQ(firmware["reported"].toString(), "2.04.00000");
    EXPECT_TRUE(firmware["current"].toBool());
    EXPECT_TRUE(report.contains("before") && report.contains("plan"));
}

}  // namespace
}  // namespace kell::testing
