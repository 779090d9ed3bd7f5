#include "cli/options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cctype>
#include <sstream>

namespace kell::cli {
namespace {

constexpr const char* kDescription =
    "Updates a Kell Series meter over its USB serial port, as the windowed updater does, with\n"
    "the texts, questions and progress bars on the console.\n"
    "\n"
    "Exit status: 0 the meter was updated; 2 no meter answered; 3 a meter answered but was\n"
    "not updated (nothing to do, or the update is not allowed for it); 4 the update failed or\n"
    "was cancelled (the error code is in the text and in the JSON); 1 the program could not do\n"
    "what was asked (simulator, export, trace file); 64 a usage error; 130 ended by a second\n"
    "Ctrl-C. With several instruments: 0 when every one was updated, else the highest of\n"
    "their statuses.";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// An hour: a wait longer than that is a mistake, not a plan.
constexpr int kLongestWaitSeconds = 3600;

}  // namespace

bool ParseAnswers(const std::string& value, AnswerOptions& answers, std::string* error) {
    std::stringstream items(value);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        item = Lower(Trim(item));
        if (item.empty())
            continue;
        const auto equals = item.find('=');
        if (equals == std::string::npos) {
            *error = "--answer: \"" + item + "\" is not question=ok|cancel";
            return false;
        }
        const std::string question = Trim(item.substr(0, equals));
        const std::string answer = Trim(item.substr(equals + 1));
        if (answer != "ok" && answer != "cancel") {
            *error = "--answer: the answer to \"" + question + "\" must be ok or cancel";
            return false;
        }
        const bool ok = answer == "ok";
        if (question == "time") {
            answers.time = ok;
        } else if (question == "plans") {
            answers.plans = ok;
        } else if (question == "erase") {
            answers.erase = ok;
        } else {
            *error = "--answer: unknown question \"" + question + "\" (time, plans, erase)";
            return false;
        }
        any = true;
    }
    if (!any) {
        *error = "--answer: no answer given";
        return false;
    }
    return true;
}

QStringList AnswerArguments(const AnswerOptions& answers) {
    QStringList arguments;
    if (answers.yes)
        arguments << "--yes";
    QStringList named;
    using Named = std::pair<const std::optional<bool>*, const char*>;
    for (auto [answer, name] : {Named{&answers.time, "time"}, Named{&answers.plans, "plans"},
                                Named{&answers.erase, "erase"}}) {
        if (*answer)
            named << QString("%1=%2").arg(name, **answer ? "ok" : "cancel");
    }
    if (!named.isEmpty())
        arguments << "--answer" << named.join(',');
    return arguments;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version of the firmware it carries.");
    const QCommandLineOption port(
        "port",
        "Use this serial device instead of searching the ports. Given more than once, update "
        "the instruments on all of them side by side.",
        "PATH");
    const QCommandLineOption all(
        "all",
        "Search every port and update every instrument that answers, side by side: a session "
        "each, with one line each on the console and one JSON array with --json.");
    // For the copies of several sessions side by side: the progress in lines for the program
    // that started them.
    const QCommandLineOption progressLines = [] {
        QCommandLineOption option("progress-lines");
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        return option;
    }();
    const QCommandLineOption simulate(
        "simulate",
        "Update the simulated meter: start kell-sim (beside this program, or $KELL_SIM) with "
        "the scenario file, if one is given, and use its port.");
    const QCommandLineOption langDir(
        "lang-dir",
        "Read idiomas.ini from DIR (default: the working directory, then the installed copy).",
        "DIR");
    const QCommandLineOption json(
        "json", "Print one JSON object with the outcome at the end, and nothing else; no prompts.");
    const QCommandLineOption yes(
        "yes", "Answer every question OK and press the button when the update waits for it.");
    const QCommandLineOption answer(
        "answer", "Answer the questions: time=ok|cancel,plans=ok|cancel,erase=ok|cancel.",
        "ANSWERS");
    const QCommandLineOption trace(
        "trace", "Write every byte to and from the meter, with times, to FILE.", "FILE");
    const QCommandLineOption exportPayloads(
        "export-payloads", "Write the data the program carries, with a SHA256SUMS file, to DIR.",
        "DIR");
    const QCommandLineOption listPorts("list-ports", "List the serial ports as they are numbered.");
    const QCommandLineOption wait(
        "wait",
        "When no meter answers, search again every few seconds for up to SECONDS (time to plug "
        "the meter in).",
        "SECONDS");
    for (const QCommandLineOption* option :
         {&help, &version, &port, &all, &simulate, &langDir, &json, &yes, &answer, &trace, &wait,
          &exportPayloads, &listPorts, &progressLines})
        parser.addOption(*option);
    parser.addPositionalArgument("scenario", "With --simulate: the simulator's scenario file.",
                                 "[scenario.json]");

    CommandLine result;
    // The toolkit names the program by the path it was started with; the help names it alone.
    const QString generated = parser.helpText();
    result.helpText = "Usage: kell-update-cli [options] [scenario.json]\n" +
                      generated.mid(generated.indexOf('\n') + 1).toStdString();
    auto fail = [&result](std::string message) {
        result.options.reset();
        result.error = std::move(message);
        return result;
    };

    if (!parser.parse(arguments))
        return fail(parser.errorText().toStdString());

    Options options;
    int actions = 0;
    using ActionOption = std::pair<const QCommandLineOption*, Action>;
    for (auto [option, action] :
         {ActionOption{&help, Action::Help}, ActionOption{&version, Action::Version},
          ActionOption{&listPorts, Action::ListPorts},
          ActionOption{&exportPayloads, Action::ExportPayloads}}) {
        if (parser.isSet(*option)) {
            ++actions;
            options.action = action;
        }
    }
    if (actions > 1)
        return fail("--help, --version, --list-ports and --export-payloads go alone");

    for (const QString& value : parser.values(port))
        options.ports.push_back(value.toStdString());
    if (!options.ports.empty())
        options.port = options.ports.front();
    options.all = parser.isSet(all);
    options.progressLines = parser.isSet(progressLines);
    options.simulate = parser.isSet(simulate);
    options.langDir = parser.value(langDir).toStdString();
    options.json = parser.isSet(json);
    options.traceFile = parser.value(trace).toStdString();
    options.exportDir = parser.value(exportPayloads).toStdString();
    options.answers.yes = parser.isSet(yes);
    if (parser.isSet(wait)) {
        bool number = false;
        const int seconds = parser.value(wait).toInt(&number);
        if (!number || seconds < 0 || seconds > kLongestWaitSeconds)
            return fail("--wait takes a number of seconds from 0 to " +
                        std::to_string(kLongestWaitSeconds));
        options.waitSeconds = seconds;
    }
    for (const QString& value : parser.values(answer)) {
        std::string error;
        if (!ParseAnswers(value.toStdString(), options.answers, &error))
            return fail(error);
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return fail("too many arguments: " + positional.join(' ').toStdString());
    if (!positional.isEmpty()) {
        if (!options.simulate)
            return fail("a scenario file is only taken with --simulate");
        options.scenario = positional.front().toStdString();
    }
    if (options.simulate && !options.port.empty())
        return fail("--port and --simulate exclude each other");
    if (options.all && !options.ports.empty())
        return fail("--all and --port exclude each other");
    if (options.SideBySide() && (options.simulate || parser.isSet(trace) || parser.isSet(wait)))
        return fail("--simulate, --trace and --wait take one instrument, not several");
    using Named = std::pair<const QCommandLineOption*, const char*>;
    for (auto [option, name] :
         {Named{&port, "--port"}, Named{&langDir, "--lang-dir"}, Named{&trace, "--trace"},
          Named{&exportPayloads, "--export-payloads"}}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return fail(std::string(name) + " needs a value");
    }
    result.options = std::move(options);
    return result;
}

}  // namespace kell::cli
