#include "platform/qt/simulator_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

namespace kell {
namespace {

constexpr const char* kSimulatorName = "kell-sim";
constexpr int kStopTimeoutMs = 5000;
// A first line longer than any path is not a port's name; reading stops there.
constexpr qint64 kLongestPortPath = 4096;

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
    const QDir here(QString::fromStdString(programDirectory));
    for (const char* relative : {"kell-sim", "../sim/kell-sim"}) {
        const QString candidate = here.filePath(QString::fromLatin1(relative));
        if (IsProgram(candidate))
            return QFileInfo(candidate).canonicalFilePath().toStdString();
    }
    return QStandardPaths::findExecutable(QString::fromLatin1(kSimulatorName)).toStdString();
}

bool SimulatorProcess::Start(const std::string& program, const std::string& scenario,
                             int timeoutMs) {
    return Start(program, scenario, {}, timeoutMs);
}

bool SimulatorProcess::Start(const std::string& program, const std::string& scenario,
                             const std::vector<std::string>& options, int timeoutMs) {
    portPath_.clear();
    error_.clear();
    QStringList arguments;
    for (const std::string& option : options)
        arguments << QString::fromStdString(option);
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
    if (!process_.waitForStarted(timeoutMs)) {
        error_ = "cannot start " + program + ": " + process_.errorString().toStdString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine() && process_.state() == QProcess::Running &&
           process_.bytesAvailable() < kLongestPortPath && !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString line = QString::fromLocal8Bit(process_.readLine(kLongestPortPath)).trimmed();
    if (line.isEmpty() || !line.startsWith(QLatin1Char('/'))) {
        error_ = program + " named no port";
        Stop();
        return false;
    }
    portPath_ = line.toStdString();
    return true;
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

}  // namespace kell
