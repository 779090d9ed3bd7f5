#include "gui/program_options.h"

#include <QCommandLineParser>

namespace kell::gui {

ParsedOptions ParseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Updates a Kell Series meter connected to a USB serial port."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use the serial device PATH as the meter's port."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated meter (kell-sim) and use its port; a scenario file may "
                       "follow."));
    const QCommandLineOption languageDir(QStringLiteral("lang-dir"),
                                         QStringLiteral("Read idiomas.ini from DIR."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption service(QStringLiteral("service"),
                                     QStringLiteral("Offer the service functions."));
    parser.addOptions({port, simulate, languageDir, service});
    parser.addPositionalArgument(QStringLiteral("scenario"),
                                 QStringLiteral("With --simulate: the simulator's scenario file."),
                                 QStringLiteral("[scenario.json]"));

    ParsedOptions parsed;
    if (!parser.parse(arguments)) {
        parsed.message = parser.errorText();
        return parsed;
    }
    const bool wantsHelp = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (wantsHelp || parser.isSet(version)) {
        parsed.ok = true;
        parsed.helpOnly = true;
        // Read before the application object exists, the parser does not know the name yet.
        parsed.message =
            wantsHelp ? parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                  QStringLiteral("kell-update"))
                      : QStringLiteral("kell-update %1").arg(QStringLiteral(KELL_UPDATE_VERSION));
        return parsed;
    }

    ProgramOptions& options = parsed.options;
    options.port = parser.value(port).toStdString();
    options.simulate = parser.isSet(simulate);
    options.languageDir = parser.value(languageDir).toStdString();
    options.service = parser.isSet(service);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > (options.simulate ? 1 : 0)) {
        parsed.message = options.simulate
                             ? QStringLiteral("Only one scenario file may follow --simulate.")
                             : QStringLiteral("A scenario file goes with --simulate.");
        return parsed;
    }
    if (!positional.isEmpty())
        options.scenario = positional.front().toStdString();
    if (options.simulate && !options.port.empty()) {
        parsed.message = QStringLiteral("--port and --simulate name two different ports.");
        return parsed;
    }
    if (parser.isSet(port) && options.port.empty()) {
        parsed.message = QStringLiteral("--port needs a device path.");
        return parsed;
    }
    parsed.ok = true;
    return parsed;
}

}  // namespace kell::gui
