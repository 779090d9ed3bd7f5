#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace kell::cli {

// How the questions of a session are answered without asking: --yes answers all of them OK,
// --answer names one answer per question (it wins over --yes for the questions it names).
struct AnswerOptions {
    bool yes = false;
    std::optional<bool> time;   // true: OK
    std::optional<bool> plans;  // true: OK (install the plans)
    std::optional<bool> erase;  // true: OK (erase the stored data)
};

// What the program was asked to do.
enum class Action { Session, Help, Version, ListPorts, ExportPayloads };

struct Options {
    Action action = Action::Session;
    std::string port;                // --port: the device to use instead of the search
    std::vector<std::string> ports;  // every --port given, in order
    bool all = false;                // --all: every port where an instrument answers
    bool progressLines = false;      // --progress-lines: a line per event on standard error
    bool simulate = false;           // --simulate: start the simulated instrument and use its port
    std::string scenario;   // the simulator's scenario file (empty: its default instrument)
    std::string langDir;    // --lang-dir: where idiomas.ini is read
    bool json = false;      // --json: one JSON object on standard output, no prompts
    std::string traceFile;  // --trace: every byte both ways
    std::string exportDir;  // --export-payloads
    int waitSeconds = 0;    // --wait: how long to search again while no meter answers
    AnswerOptions answers;

    // Several instruments side by side, a session each: --all, or --port given more than once.
    bool SideBySide() const { return all || ports.size() > 1; }
};

struct CommandLine {
    std::optional<Options> options;  // empty: a usage error, described in `error`
    std::string error;
    std::string helpText;  // the full --help text (also shown after a usage error)
};

// Reads the arguments (the program's name first, as QCoreApplication::arguments() gives them).
CommandLine ParseCommandLine(const QStringList& arguments);

// Reads one --answer value ("time=ok,erase=cancel") into `answers`; false with a reason in
// *error for an unknown question, an unknown answer or a malformed item.
bool ParseAnswers(const std::string& value, AnswerOptions& answers, std::string* error);

// The options that give `answers` to another copy of the program: --yes and --answer.
QStringList AnswerArguments(const AnswerOptions& answers);

}  // namespace kell::cli
