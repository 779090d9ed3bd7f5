#include "gui/simulator_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef __linux__
#include <sys/prctl.h>

#include <csignal>
#endif

namespace kell::gui {
namespace {

constexpr int kStopWaitMs = 2000;
constexpr int kLongestPortPath = 4096;

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

SimulatorProcess::~SimulatorProcess() {
    Stop();
}

bool SimulatorProcess::Start(const QString& program, const std::string& scenario, int timeoutMs) {
    portPath_.clear();
    error_.clear();
    QStringList arguments;
    if (!scenario.empty())
        arguments << QString::fromStdString(scenario);
    // Its own messages go where ours go.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef __linux__
    // However this program ends (killed included), the simulator ends with it.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    process_.start(program, arguments);
    if (!process_.waitForStarted(timeoutMs)) {
        error_ = QStringLiteral("%1 did not start: %2").arg(program, process_.errorString());
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine() && process_.state() == QProcess::Running &&
           process_.bytesAvailable() < kLongestPortPath && !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString line = QString::fromLocal8Bit(process_.readLine(kLongestPortPath)).trimmed();
    if (line.isEmpty() || !line.startsWith(QLatin1Char('/'))) {
        error_ = QStringLiteral("%1 gave no port").arg(program);
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
    if (!process_.waitForFinished(kStopWaitMs)) {
        process_.kill();
        process_.waitForFinished(kStopWaitMs);
    }
}

QString SimulatorProcess::Locate(const QString& programDirectory) {
    const QString fromEnvironment = qEnvironmentVariable("KELL_SIM");
    if (!fromEnvironment.isEmpty())
        return IsProgram(fromEnvironment) ? fromEnvironment : QString();
    const QDir here(programDirectory);
    for (const QString& candidate : {here.filePath(QStringLiteral("kell-sim")),
                                     here.filePath(QStringLiteral("../sim/standalone/kell-sim")),
                                     here.filePath(QStringLiteral("../sim/kell-sim"))}) {
        if (IsProgram(candidate))
            return QDir::cleanPath(candidate);
    }
    return QStandardPaths::findExecutable(QStringLiteral("kell-sim"));
}

}  // namespace kell::gui
