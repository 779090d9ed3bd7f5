// kell-update-cli as a process: the options that need no instrument, a port that stays silent,
// and whole sessions against the standalone simulator where it is built.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <set>

#include "cli/outcome.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/simulator_process.h"
#include "tests/platform_qt/pseudo_terminal.h"
#include "tests/platform_qt/qt_application.h"
#include "tests/support/private_runtime_dir.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

struct Finished {
    int status = -1;
    std::string out;
    std::string err;

    QJsonObject Json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    }
};

// The program's environment, with the simulator to start and, when given, the folder of
// stable links its search reads instead of /dev/serial/by-id.
QProcessEnvironment Environment(const QString& stableLinks = {}) {
    kell::testing::UseAPrivateRuntimeDirectory();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifdef KELL_SIM_PROGRAM
    environment.insert("KELL_SIM", KELL_SIM_PROGRAM);
#endif
    if (!stableLinks.isEmpty())
        environment.insert("KELL_SERIAL_BY_ID", stableLinks);
    return environment;
}

Finished Collect(QProcess& process, int timeoutMs) {
    Finished run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "timed out";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

Finished Start(const QStringList& arguments, int timeoutMs = 60000,
               const QString& stableLinks = {}) {
    QProcess process;
    process.setProcessEnvironment(Environment(stableLinks));
    process.start(KELL_UPDATE_CLI, arguments);
    return Collect(process, timeoutMs);
}

using CliProcess = WithQtApplication;

TEST_F(CliProcess, OptionsWithoutAnInstrument) {
    const Finished usage = Start({"--answer", "time=later"});
    EXPECT_EQ(usage.status, kExitUsage);
    EXPECT_NE(usage.err.find("--answer"), std::string::npos);
    EXPECT_EQ(Start({"--lang-dir", "/nonexistent"}).status, kExitUsage);

    const Finished version = Start({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Version 2.04\n");

    EXPECT_EQ(Start({"--list-ports"}).status, 0);

    QTemporaryDir dir;
    const Finished exported = Start({"--export-payloads", dir.path() + "/out"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_TRUE(QFile::exists(dir.path() + "/out/SHA256SUMS"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/out/main_firmware.hex"));
}

TEST_F(CliProcess, ASilentPortIsNoInstrument) {
    PseudoTerminal silent;  // its far end is held open and never answers
    ASSERT_TRUE(silent.Ready());
    const Finished run = Start({"--port", QString::fromStdString(silent.Path()), "--json"});
    ASSERT_EQ(run.status, kExitNoInstrument) << run.err;
    const QJsonObject report = run.Json();
    EXPECT_EQ(report["outcome"].toString(), "not-found");
    EXPECT_EQ(report["texts"].toArray()[0].toString(), "No meter was found.");
    EXPECT_TRUE(report["after"].isNull());
    // The rendering went to standard error; standard output is the JSON alone.
    EXPECT_NE(run.err.find("Looking for the meter"), std::string::npos);
    EXPECT_EQ(run.out.rfind("{", 0), 0u);
}

// A second copy of the program started while the first holds the meter's port: it is told the
// port is in use, and nothing it does reaches the meter between the first copy's exchanges.
TEST_F(CliProcess, ASecondCopyIsToldThePortIsInUse) {
    PseudoTerminal meter;
    ASSERT_TRUE(meter.Ready());
    QtSerialDevice firstCopy;
    ASSERT_EQ(firstCopy.Open(meter.Path()), OpenResult::Ok);
    const Finished run = Start({"--port", QString::fromStdString(meter.Path()), "--json"});
    ASSERT_EQ(run.status, kExitNoInstrument) << run.err;
    EXPECT_EQ(run.Json()["texts"].toArray()[0].toString(),
              "The meter's USB port is in use by another program.");
    EXPECT_TRUE(meter.Receive(1, 200).empty());
}

#ifdef KELL_SIM_PROGRAM

QString Scenario(const char* name) {
    return QString(KELL_SIM_SCENARIOS) + "/" + name;
}

constexpr int kSessionTimeoutMs = 15 * 60 * 1000;

TEST_F(CliProcess, AnUpToDateMeterIsNotUpdated) {
    const Finished run = Start({"--simulate", Scenario("up-to-date.json"), "--yes", "--json"});
    ASSERT_EQ(run.status, kExitNotUpdated) << run.err;
    EXPECT_EQ(run.Json()["outcome"].toString(), "not-updated");
    EXPECT_EQ(run.Json()["before"].toObject()["firmware"].toString(), "2.04.00000");
}

TEST_F(CliProcess, AnEraseAnsweredCancelStopsTheUpdate) {
    const Finished run = Start({"--simulate", Scenario("plan-type-0-old.json"), "--answer",
                                "plans=ok,erase=cancel", "--json"},
                               kSessionTimeoutMs);
    ASSERT_EQ(run.status, kExitFailed) << run.err;
    const QJsonObject report = run.Json();
    EXPECT_EQ(report["outcome"].toString(), "cancelled");
    EXPECT_TRUE(report["eraseRefused"].toBool());
    EXPECT_EQ(report["texts"].toArray()[0].toString(), "The update was cancelled.");
}

// A meter that behaves as a USB serial device on Linux: at each restart it drops off the bus and
// comes back on a new node, the stable link following. The automatic search finds it by the
// link, every reconnection of the session and the check afterwards find it under its new node.
TEST_F(CliProcess, AMeterThatComesBackUnderANewNameAtEachRestartIsUpdated) {
    QTemporaryDir dir;
    const QString links = dir.filePath("by-id");
    ASSERT_TRUE(QDir().mkpath(links));
    SimulatorProcess meter;
    ASSERT_TRUE(meter.Start(KELL_SIM_PROGRAM, Scenario("full-update.json").toStdString(),
                            {"--by-id", links.toStdString()}))
        << meter.Error();
    const QString trace = dir.filePath("trace.txt");
    const Finished run = Start({"--yes", "--json", "--trace", trace}, kSessionTimeoutMs, links);
    meter.Stop();
    ASSERT_EQ(run.status, kExitUpdated) << run.err;
    const QJsonObject report = run.Json();
    EXPECT_EQ(report["outcome"].toString(), "updated");
    EXPECT_EQ(report["resultCode"].toInt(), 0);
    EXPECT_TRUE(report["messages"].toArray().isEmpty()) << "no USB error";
    EXPECT_EQ(report["before"].toObject()["firmware"].toString(), "1.89.00000");
    EXPECT_TRUE(report["plan"].toObject()["firmware"].toBool());
    // The meter, back from its restart after the finish, reports what the program carries.
    const QJsonObject after = report["after"].toObject();
    EXPECT_TRUE(after["verified"].toBool());
    EXPECT_EQ(after["components"].toObject()["firmware"].toObject()["reported"].toString(),
              "2.04.00000");
    const QJsonArray steps = report["steps"].toArray();
    ASSERT_FALSE(steps.isEmpty());
    EXPECT_EQ(steps.last().toObject()["component"].toString(), "module");
    EXPECT_GT(steps.first().toObject()["seconds"].toDouble(), 0.0);
    EXPECT_EQ(report["questions"].toArray().first().toObject()["question"].toString(), "time");

    // The trace names the node each opening resolved to: the node of the first connection,
    // then the one the meter came back on while the program still held the first.
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::set<std::string> nodes;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int open = line.indexOf(" open ");
        if (open >= 0 && line.endsWith(": ok"))
            nodes.insert(line.mid(open + 6, line.size() - open - 6 - 4).toStdString());
    }
    EXPECT_GE(nodes.size(), 2u);
}

// Started with no meter on the machine: with --wait it searches again, over a fresh list of
// ports each time, and finds the meter once it is plugged in.
TEST_F(CliProcess, AMeterPluggedInWhileTheProgramWaitsIsFound) {
    QTemporaryDir dir;
    QProcess program;
    program.setProcessEnvironment(Environment(dir.path()));
    program.start(KELL_UPDATE_CLI, {"--wait", "60", "--yes", "--json"});
    ASSERT_TRUE(program.waitForStarted());
    program.setReadChannel(QProcess::StandardError);  // the view; the JSON comes at the end
    // The first search has found nothing: the meter is plugged in.
    std::string shown;
    while (shown.find("No meter was found") == std::string::npos && program.waitForReadyRead(60000))
        shown += program.readAllStandardError().toStdString();
    ASSERT_NE(shown.find("No meter was found"), std::string::npos) << shown;
    SimulatorProcess meter;
    ASSERT_TRUE(meter.Start(KELL_SIM_PROGRAM, Scenario("up-to-date.json").toStdString(),
                            {"--by-id", dir.path().toStdString()}))
        << meter.Error();

    const Finished run = Collect(program, 90000);
    meter.Stop();
    ASSERT_EQ(run.status, kExitNotUpdated) << shown << run.err;
    EXPECT_EQ(run.Json()["before"].toObject()["firmware"].toString(), "2.04.00000");
}

// A bench of instruments updated at once, a session each: two need their channel plans, the
// third refuses every parameter write, and the first one's port is also given a second time.
// Each instrument's report is its own: the failure's code stays with the failing meter, the
// others are updated and verified, and the second session on the first port is told that the
// port is in use and leaves it to the first.
TEST_F(CliProcess, SeveralMetersAreUpdatedSideBySideEachWithItsOwnOutcome) {
    QTemporaryDir dir;
    const auto scenario = [&dir](const char* name, const char* json) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return file.fileName();
    };
    const char* plansOld = R"({"name": "plans-old", "plan": {"type": 1, "version": 102}})";
    const QString first = scenario("first.json", plansOld);
    const QString second = scenario("second.json", plansOld);
    const QString failing = scenario("failing.json", R"({"name": "refuses-writes",
        "plan": {"type": 1, "version": 102},
        "faults": [{"event": "eeprom_write", "action": "refuse", "occurrence": 0},
                   {"event": "sector_erase", "action": "refuse", "occurrence": 0}]})");

    QProcess meters;
    meters.setProcessEnvironment(Environment());
    meters.start(KELL_SIM_PROGRAM, {"--wire-paced", first, second, failing});
    QStringList ports;
    while (ports.size() < 3 && meters.waitForReadyRead(30000)) {
        while (meters.canReadLine())
            ports << QString::fromUtf8(meters.readLine()).trimmed();
    }
    ASSERT_EQ(ports.size(), 3) << meters.readAllStandardError().toStdString();

    const Finished run = Start({"--port", ports[0], "--port", ports[1], "--port", ports[2],
                                "--port", ports[0], "--yes", "--json"},
                               kSessionTimeoutMs);
    meters.terminate();
    meters.waitForFinished(10000);
    ASSERT_EQ(run.status, kExitFailed) << run.err;  // the highest of the four
    const QJsonArray reports = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array();
    ASSERT_EQ(reports.size(), 4) << run.out;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(reports[i].toObject()["port"].toString(), ports[i]);

    const QJsonObject failed = reports[2].toObject();
    EXPECT_EQ(failed["outcome"].toString(), "failed");
    EXPECT_EQ(failed["exitStatus"].toInt(), kExitFailed);
    EXPECT_NE(failed["resultCode"].toInt(), 0);

    const QJsonObject secondMeter = reports[1].toObject();
    EXPECT_EQ(secondMeter["outcome"].toString(), "updated");
    EXPECT_EQ(secondMeter["resultCode"].toInt(), 0);
    EXPECT_TRUE(secondMeter["after"].toObject()["verified"].toBool());

    // The first port's two sessions: one updated it, the other was kept off.
    QJsonObject updated = reports[0].toObject();
    QJsonObject keptOff = reports[3].toObject();
    if (keptOff["outcome"].toString() == "updated")
        std::swap(updated, keptOff);
    EXPECT_EQ(updated["outcome"].toString(), "updated");
    EXPECT_TRUE(updated["after"].toObject()["verified"].toBool());
    EXPECT_EQ(keptOff["exitStatus"].toInt(), kExitNoInstrument);
    EXPECT_EQ(keptOff["texts"].toArray()[0].toString(),
              "The meter's USB port is in use by another program.");
}

#endif

}  // namespace
}  // namespace kell::testing
