// kell-update: the windowed updater of the Kell Series meters.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/ventana_brisca.h"
#include "gui/program_options.h"
#include "gui/update_program.h"
#include "platform/qt/simulator_process.h"

int main(int argc, char** argv) {
    // The command line is read before the windows start, so that --help works without a screen.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const kell::gui::ParsedOptions parsed = kell::gui::ParseProgramOptions(arguments);
    if (!parsed.ok || parsed.helpOnly) {
        std::fputs(qPrintable(parsed.message + QLatin1Char('\n')), parsed.ok ? stdout : stderr);
        return parsed.ok ? 0 : 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kell-update"));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kell::kApplicationTitle));
    QApplication::setApplicationVersion(QStringLiteral(KELL_UPDATE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kell-update"));
    const kell::gui::ProgramOptions& options = parsed.options;
    const QString programDirectory = QApplication::applicationDirPath();

    kell::SimulatorProcess simulator;
    std::string portPath = options.port;
    if (options.simulate) {
        const std::string program = kell::SimulatorProcess::Locate(programDirectory.toStdString());
        if (program.empty()) {
            std::fputs("kell-update: kell-sim was not found (set KELL_SIM to its path)\n", stderr);
            return 1;
        }
        if (!simulator.Start(program, options.scenario)) {
            std::fprintf(stderr, "kell-update: %s\n", simulator.Error().c_str());
            return 1;
        }
        portPath = simulator.PortPath();
    }

    kell::gui::UpdateProgram program(options, portPath, programDirectory.toStdString());
    // Salir and the exit button leave at once, from wherever they are pressed (a search may be
    // running): the link is not ended and nothing more is sent to the meter.
    program.Model().hooks.endProcess = [&simulator](int exitCode) {
        simulator.Stop();
        std::fflush(nullptr);
        std::_Exit(exitCode);
    };
    program.Window().show();
    return QApplication::exec();
}
