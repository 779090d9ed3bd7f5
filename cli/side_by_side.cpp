#include "cli/side_by_side.h"

#include <signal.h>
#include <unistd.h>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/instrument_rows.h"
#include "cli/interrupts.h"
#include "cli/options.h"
#include "cli/outcome.h"
#include "cli/progress_lines.h"
#include "platform/qt/qt_port_catalog.h"

namespace kell::cli {
namespace {

// How often the console is drawn: in place on a terminal, else at most a line per change a
// second.
constexpr int kLiveRedrawMs = 250;
constexpr int kLogLineMs = 1000;

// The ports to try: those given, or for --all every port of the machine, each by its stable
// link where it has one so that its session follows the device through restarts.
std::vector<std::string> PortsToTry(const Options& options) {
    if (!options.all)
        return options.ports;
    std::vector<std::string> ports;
    QtPortCatalog catalog;
    for (const SerialPortEntry& entry : catalog.Ports())
        ports.push_back(entry.stableLink.empty() ? entry.path : entry.stableLink);
    return ports;
}

struct Copy {
    InstrumentRow row;
    pid_t pid = 0;  // while it runs
    std::unique_ptr<QProcess> process;
    QByteArray unreadLines;
    QJsonObject report;
    bool changed = true;
};

class SideBySide {
  public:
    SideBySide(const Options& options, std::ostream& screen, bool live)
        : options_(options), screen_(screen), live_(live) {}

    int Run(const std::string& program) {
        for (const std::string& port : PortsToTry(options_))
            Start(program, port);
        if (copies_.empty()) {
            screen_ << "No serial ports.\n";
        } else {
            Wait();
        }
        return Finish();
    }

  private:
    void Start(const std::string& program, const std::string& port) {
        auto copy = std::make_unique<Copy>();
        copy->row.port = port;
        copy->process = std::make_unique<QProcess>();
        QProcess& process = *copy->process;
        QStringList arguments{"--port", QString::fromStdString(port), "--json", "--progress-lines"};
        arguments << AnswerArguments(options_.answers);
        if (!options_.langDir.empty())
            arguments << "--lang-dir" << QString::fromStdString(options_.langDir);
        // A group of its own: Ctrl-C on the terminal reaches this program alone, which passes
        // it on once to each copy.
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        Copy* raw = copy.get();
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this, raw] { TakeLines(*raw); });
        QObject::connect(&process, &QProcess::finished, [this, raw] { Ended(*raw); });
        QObject::connect(&process, &QProcess::errorOccurred, [this, raw](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                Ended(*raw);
        });
        copies_.push_back(std::move(copy));
        process.start(QString::fromStdString(program), arguments);
        if (process.state() != QProcess::NotRunning) {
            process.closeWriteChannel();  // nothing is asked: the answers came with the options
            raw->pid = static_cast<pid_t>(process.processId());
            AddChildToStopOnExit(raw->pid);
        }
    }

    void TakeLines(Copy& copy) {
        copy.unreadLines += copy.process->readAllStandardError();
        qsizetype end;
        while ((end = copy.unreadLines.indexOf('\n')) >= 0) {
            const std::string line = copy.unreadLines.left(end).toStdString();
            copy.unreadLines.remove(0, end + 1);
            if (ReadProgressLine(line, copy.row.progress))
                copy.changed = true;
        }
        // A copy that writes without ever ending a line is not one of ours; what it wrote is
        // dropped rather than kept without bound.
        constexpr qsizetype kLongestLine = 4096;
        if (copy.unreadLines.size() > kLongestLine)
            copy.unreadLines.clear();
    }

    void Ended(Copy& copy) {
        if (copy.row.finished)
            return;
        TakeLines(copy);
        // Its process id may be another process's from now on.
        RemoveChildToStopOnExit(copy.pid);
        copy.pid = 0;
        QProcess& process = *copy.process;
        const bool normal = process.state() == QProcess::NotRunning &&
                            process.error() != QProcess::FailedToStart &&
                            process.exitStatus() == QProcess::NormalExit;
        const QJsonDocument document = QJsonDocument::fromJson(process.readAllStandardOutput());
        copy.row.finished = true;
        copy.changed = true;
        if (normal && document.isObject()) {
            copy.report = document.object();
            copy.row.outcome = copy.report["outcome"].toString().toStdString();
            copy.row.resultCode = copy.report["resultCode"].toInt();
            copy.row.exitStatus = process.exitCode();
        } else {
            // The copy could not run, or ended without its report: the program's trouble.
            copy.row.outcome = "failed";
            copy.row.exitStatus = kExitTrouble;
            copy.report =
                QJsonObject{{"port", QString::fromStdString(copy.row.port)},
                            {"outcome", "failed"},
                            {"exitStatus", kExitTrouble},
                            {"summary", "The session for this port ended without a report."}};
        }
        if (AllFinished())
            loop_.quit();
    }

    bool AllFinished() const {
        for (const auto& copy : copies_) {
            if (!copy->row.finished)
                return false;
        }
        return true;
    }

    // With --all a port where no instrument answered is no instrument of the bench.
    bool Counts(const Copy& copy) const {
        return !options_.all || !copy.row.finished || copy.row.exitStatus != kExitNoInstrument;
    }

    void PassOnInterrupts() {
        DrainInterruptWake();
        const int count = InterruptCount();
        for (; passedOn_ < count; ++passedOn_) {
            for (const auto& copy : copies_) {
                if (copy->pid > 0)
                    ::kill(copy->pid, SIGINT);
            }
        }
    }

    void Draw() {
        if (live_) {
            // Back to the first line drawn, then every instrument's line over the old ones;
            // lines of ports that turned out to hold no instrument are cleared.
            if (drawnRows_ > 0)
                screen_ << "\x1b[" << drawnRows_ << "A";
            int rows = 0;
            for (const auto& copy : copies_) {
                if (Counts(*copy)) {
                    screen_ << "\r\x1b[K" << RowText(copy->row) << "\n";
                    ++rows;
                }
            }
            for (int i = rows; i < drawnRows_; ++i)
                screen_ << "\r\x1b[K\n";
            drawnRows_ = std::max(drawnRows_, rows);
        } else {
            for (const auto& copy : copies_) {
                if (copy->changed && Counts(*copy))
                    screen_ << RowText(copy->row) << "\n";
            }
        }
        for (const auto& copy : copies_)
            copy->changed = false;
        screen_.flush();
    }

    void Wait() {
        std::unique_ptr<QSocketNotifier> interrupted;
        if (InterruptWakeFd() >= 0) {
            interrupted =
                std::make_unique<QSocketNotifier>(InterruptWakeFd(), QSocketNotifier::Read);
            QObject::connect(interrupted.get(), &QSocketNotifier::activated,
                             [this] { PassOnInterrupts(); });
        }
        QTimer draw;
        QObject::connect(&draw, &QTimer::timeout, [this] { Draw(); });
        draw.start(live_ ? kLiveRedrawMs : kLogLineMs);
        Draw();
        if (!AllFinished())
            loop_.exec();
        Draw();
    }

    int Finish() {
        std::vector<int> statuses;
        QJsonArray reports;
        int updated = 0;
        for (const auto& copy : copies_) {
            if (!Counts(*copy))
                continue;
            statuses.push_back(copy->row.exitStatus);
            reports.append(copy->report);
            updated += copy->row.exitStatus == kExitUpdated;
        }
        if (options_.json) {
            std::cout << QJsonDocument(reports).toJson(QJsonDocument::Indented).toStdString();
            std::cout.flush();
        } else {
            screen_ << "\n" << updated << " of " << statuses.size() << " instrument(s) updated.\n";
        }
        return CombinedExitStatus(statuses);
    }

    const Options& options_;
    std::ostream& screen_;
    bool live_;
    std::vector<std::unique_ptr<Copy>> copies_;
    QEventLoop loop_;
    int passedOn_ = 0;
    int drawnRows_ = 0;
};

}  // namespace

int RunSideBySide(const Options& options, const std::string& program, std::ostream& screen,
                  bool live) {
    InstallInterruptHandlers();
    std::signal(SIGPIPE, SIG_IGN);
    SideBySide bench(options, screen, live);
    const int status = bench.Run(program);
    ClearChildrenToStopOnExit();
    return status;
}

}  // namespace kell::cli
