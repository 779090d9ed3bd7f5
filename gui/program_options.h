#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "config/param_defecto.h"

namespace kell::gui {

// The access letter that opens the service functions (the default-parameters window's boxes).
// The window model starts with 'N'; --service sets this one.
inline constexpr char kServiceOptionsMode = kServiceAccessLetter;

// What the command line asks of kell-update.
struct ProgramOptions {
    std::string port;         // --port PATH: this device is the machine's one port
    bool simulate = false;    // --simulate: talk to a simulated instrument started for the run
    std::string scenario;     // the simulator's scenario file, when one follows --simulate
    std::string languageDir;  // --lang-dir DIR: where idiomas.ini is read from
    bool service = false;     // --service: the service functions are offered
};

struct ParsedOptions {
    ProgramOptions options;
    bool ok = false;
    bool helpOnly = false;  // --help or --version: print message and leave
    QString message;        // the error, or the help or version text
};

// arguments as QCoreApplication::arguments() gives them (the program's name first).
ParsedOptions ParseProgramOptions(const QStringList& arguments);

}  // namespace kell::gui
