#include "cli/simulator_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

namespace kell::cli {
namespace {

constexpr const char* kSimulatorName = "kell-sim";
constexpr int kStopTimeoutMs = 5000;

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

SimulatorProcess::~SimulatorProcess() {
    Stop();
}

std::string SimulatorProcess::Locate(const std::string& programDirectory) {
    if (const char* named = std::getenv("KELL_SIM"); named && *named)
        return IsProgram(named) ? std::string(named) : std::string();
    const QString dir = QString::fromStdString(programDirectory);
    for (const QString& candidate :
         {dir + "/" + kSimulatorName, dir + "/../sim/" + kSimulatorName}) {
        if (IsProgram(candidate))
            return QFileInfo(candidate).canonicalFilePath().toStdString();
    }
    return QStandardPaths::findExecutable(kSimulatorName).toStdString();
}

bool SimulatorProcess::Start(const std::string& program, const std::string& scenario,
                             std::string* error, int startTimeoutMs) {
    QStringList arguments;
    if (!scenario.empty())
        arguments << QString::fromStdString(scenario);
    process_.setProgram(QString::fromStdString(program));
    process_.setArguments(arguments);
    // Its own messages (the instrument it plays, its summary at the end) go to our stderr.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    process_.start();
    if (!process_.waitForStarted(startTimeoutMs)) {
        *error = "cannot start " + program + ": " + process_.errorString().toStdString();
        return false;
    }
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!process_.canReadLine()) {
        if (process_.state() != QProcess::Running || deadline.hasExpired() ||
            !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            if (process_.canReadLine())
                break;
            *error = program + " did not name its port";
            Stop();
            return false;
        }
    }
    portPath_ = QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
    if (portPath_.empty()) {
        *error = program + " named no port";
        Stop();
        return false;
    }
    return true;
}

qint64 SimulatorProcess::ProcessId() const {
    return process_.processId();
}

void SimulatorProcess::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kStopTimeoutMs)) {
        process_.kill();
        process_.waitForFinished(kStopTimeoutMs);
    }
}

}  // namespace kell::cli
