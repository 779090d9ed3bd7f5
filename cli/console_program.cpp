#include "cli/console_program.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>

#include "app/language_file.h"
#include "app/ventana_brisca.h"
#include "cli/console_events.h"
#include "cli/console_notifier.h"
#include "cli/console_pump.h"
#include "cli/console_session.h"
#include "cli/console_view.h"
#include "cli/interrupts.h"
#include "cli/json_report.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "cli/outcome.h"
#include "cli/progress_lines.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"
#include "cli/side_by_side.h"
#include "cli/trace_header.h"
#include "cli/tracing_serial_device.h"
#include "payloads/export/payload_export.h"
#include "payloads/payloads.h"
#include "platform/qt/manual_port_catalog.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_port_catalog.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/simulator_process.h"
#include "platform/qt/system_clock.h"

namespace kell::cli {
namespace {

constexpr const char* kProgramName = "kell-update-cli";

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

// A terminal this process may read from: one in whose foreground it runs (a read from the
// background would stop the process).
bool CanReadTerminal(int fd) {
    return IsTerminal(fd) && ::tcgetpgrp(fd) == ::getpgrp();
}

bool TerminalDrawsInPlace(int fd) {
    const char* term = std::getenv("TERM");
    return IsTerminal(fd) && !(term && std::string(term) == "dumb");
}

int TerminalColumns(int fd) {
    winsize size{};
    return ::ioctl(fd, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

std::string ProgramDirectory() {
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string WorkingDirectory() {
    return QDir::currentPath().toStdString();
}

// An output stream that drops everything (the window of --version shows nothing).
struct NullStream : std::ostream {
    NullStream() : std::ostream(nullptr) {}
};

// Everything a console session is made of: the machine's seams, the console's view, pump and
// notifier in their place, and the main window over them.
struct Console {
    Console(const Options& options, std::ostream& screen, std::ostream& messages, bool liveBars,
            int columns, bool canAsk, std::ostream* trace, const std::string& port,
            const std::string& languageFile)
        : ports(systemPorts, port),
          record(clock),
          view(screen, messages, liveBars, clock, columns, ConsoleWords::Load(languageFile)),
          desk(options.answers, canAsk ? &input : nullptr, view, record,
               [] { return InterruptCount() > 0; }),
          events(desk, record, &view, !options.json),
          pump(qtPump, clock, view, desk, record, [] { return InterruptCount(); }),
          notifier(view, desk, pump, record, IsTerminal(STDERR_FILENO)) {
        if (trace) {
            tracing = std::make_unique<TracingSerialDevice>(qtSerial, clock, *trace);
            events.OnAnswered([this](QuestionKind kind, bool ok) {
                tracing->WriteAnswer(QuestionName(FromKind(kind)), ok);
            });
        }
        SerialDevice& serial = tracing ? static_cast<SerialDevice&>(*tracing) : qtSerial;
        window = std::make_unique<Tventana_brisca>(Seams{clock, serial, pump, notifier, ports},
                                                   WorkingDirectory(), payloads::MainFirmwareHex(),
                                                   languageFile);
        if (options.progressLines)
            progressLines = std::make_unique<ProgressLineWriter>(events, std::cerr);
        window->SetSessionEvents(progressLines ? static_cast<SessionEvents*>(progressLines.get())
                                               : &events);
        pump.Attach(window.get());
        if (tracing)
            tracing->WriteHeader(MakeTraceHeader(window->controls.Label1.caption));
    }
    ~Console() { pump.Attach(nullptr); }

    SystemClock clock;
    QtSerialDevice qtSerial;
    std::unique_ptr<TracingSerialDevice> tracing;
    QtPortCatalog systemPorts;
    ManualPortCatalog ports;
    QtEventPump qtPump;
    SessionRecord record;
    LineReader input{STDIN_FILENO};
    ConsoleView view;
    QuestionDesk desk;
    ConsoleEvents events;
    std::unique_ptr<ProgressLineWriter> progressLines;
    ConsolePump pump;
    ConsoleNotifier notifier;
    std::unique_ptr<Tventana_brisca> window;
};

int UsageError(const std::string& error) {
    std::cerr << kProgramName << ": " << error << "\nTry '" << kProgramName << " --help'.\n";
    return kExitUsage;
}

int ListPorts() {
    QtPortCatalog catalog;
    const std::vector<SerialPortEntry>& ports = catalog.Ports();
    if (ports.empty()) {
        std::cout << "No serial ports.\n";
        return kExitUpdated;
    }
    std::size_t width = 0;
    for (const SerialPortEntry& port : ports)
        width = std::max(width, port.path.size());
    for (std::size_t i = 0; i < ports.size(); ++i)
        std::cout << std::setw(3) << i + 1 << "  " << std::left
                  << std::setw(static_cast<int>(width)) << ports[i].path << std::right << "  "
                  << DescribePort(ports[i]) << "\n";
    return kExitUpdated;
}

int ExportTo(const std::string& folder) {
    std::string error;
    if (!payloads::ExportPayloads(folder, &error)) {
        std::cerr << kProgramName << ": " << error << "\n";
        return kExitTrouble;
    }
    std::cout << "Wrote the payloads and SHA256SUMS to " << folder << "\n";
    return kExitUpdated;
}

// The language file: --lang-dir's, which must be there, or the one a program finds.
std::optional<std::string> LanguageFile(const Options& options, std::string* error) {
    if (options.langDir.empty())
        return ResolveLanguageFile(WorkingDirectory(), ProgramDirectory());
    const std::string path = LanguageFilePath(options.langDir);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        *error =
            "--lang-dir: there is no " + std::string(kLanguageFileName) + " in " + options.langDir;
        return std::nullopt;
    }
    return path;
}

int ShowVersion(const std::string& languageFile) {
    NullStream silent;
    Options quiet;
    Console console(quiet, silent, silent, false, 0, false, nullptr, {}, languageFile);
    std::cout << console.window->controls.Label1.caption << "\n";
    return kExitUpdated;
}

// Typed lines and interrupts wake the event loop at once, so that waits end without delay.
struct Wakers {
    explicit Wakers(Console& console, bool canAsk) {
        if (canAsk) {
            typed = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
            QObject::connect(typed.get(), &QSocketNotifier::activated, [this, &console] {
                console.input.Poll();
                if (console.input.Closed())
                    typed->setEnabled(false);
            });
        }
        if (InterruptWakeFd() >= 0) {
            interrupted =
                std::make_unique<QSocketNotifier>(InterruptWakeFd(), QSocketNotifier::Read);
            QObject::connect(interrupted.get(), &QSocketNotifier::activated,
                             [] { DrainInterruptWake(); });
        }
    }

    std::unique_ptr<QSocketNotifier> typed;
    std::unique_ptr<QSocketNotifier> interrupted;
};

int RunSession(const Options& options, const std::string& languageFile) {
    InstallInterruptHandlers();
    // A reader that goes away (`| head`) must not end the program in the middle of a transfer.
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<std::ofstream> trace;
    if (!options.traceFile.empty()) {
        trace = std::make_unique<std::ofstream>(options.traceFile);
        if (!*trace) {
            std::cerr << kProgramName << ": cannot write " << options.traceFile << "\n";
            return kExitTrouble;
        }
    }

    SimulatorProcess simulator;
    std::string port = options.port;
    if (options.simulate) {
        const std::string program = SimulatorProcess::Locate(ProgramDirectory());
        if (program.empty() || !simulator.Start(program, options.scenario)) {
            std::cerr << kProgramName << ": "
                      << (program.empty()
                              ? "kell-sim not found (put it beside kell-update-cli or name it in "
                                "KELL_SIM)"
                              : simulator.Error())
                      << "\n";
            return kExitTrouble;
        }
        SetChildToStopOnExit(static_cast<pid_t>(simulator.ProcessId()));
        port = simulator.PortPath();
    }

    // Under --json the console view goes to standard error and nothing is asked; under
    // --progress-lines standard error carries the progress lines alone.
    NullStream silent;
    std::ostream& screen = options.progressLines ? silent : options.json ? std::cerr : std::cout;
    std::ostream& messages = options.progressLines ? silent : std::cerr;
    const int screenFd = options.json ? STDERR_FILENO : STDOUT_FILENO;
    const bool canAsk = !options.json && CanReadTerminal(STDIN_FILENO);
    const bool liveBars = !options.progressLines && TerminalDrawsInPlace(screenFd);
    int status = kExitFailed;
    {
        Console console(options, screen, messages, liveBars, TerminalColumns(screenFd), canAsk,
                        trace.get(), port, languageFile);
        Wakers wakers(console, canAsk);
        const Outcome outcome = RunAndJudge({console.clock, *console.window, console.pump,
                                             console.view, console.desk, console.record},
                                            options, port, std::cout);
        if (console.tracing)
            console.tracing->WriteOutcome(outcome.name, outcome.exitStatus,
                                          console.window->State().resultCode, outcome.summary);
        status = outcome.exitStatus;
    }
    simulator.Stop();
    SetChildToStopOnExit(0);
    return status;
}

}  // namespace

int RunConsoleProgram(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(kProgramName);

    const CommandLine commandLine = ParseCommandLine(QCoreApplication::arguments());
    if (!commandLine.options)
        return UsageError(commandLine.error);
    const Options& options = *commandLine.options;

    switch (options.action) {
        case Action::Help:
            std::cout << commandLine.helpText;
            return kExitUpdated;
        case Action::ListPorts:
            return ListPorts();
        case Action::ExportPayloads:
            return ExportTo(options.exportDir);
        case Action::Version:
        case Action::Session:
            break;
    }
    std::string error;
    const std::optional<std::string> languageFile = LanguageFile(options, &error);
    if (!languageFile)
        return UsageError(error);
    if (options.action == Action::Version)
        return ShowVersion(*languageFile);
    if (options.SideBySide())
        return RunSideBySide(options, QCoreApplication::applicationFilePath().toStdString(),
                             options.json ? std::cerr : std::cout,
                             TerminalDrawsInPlace(options.json ? STDERR_FILENO : STDOUT_FILENO));
    return RunSession(options, *languageFile);
}

}  // namespace kell::cli
