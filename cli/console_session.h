#pragma once

#include <ostream>
#include <string>

#include "cli/outcome.h"

namespace kell {
class Clock;
class Tventana_brisca;
}  // namespace kell

namespace kell::cli {

class ConsolePump;
class ConsoleView;
class QuestionDesk;
class SessionRecord;
struct Options;

// The console's parts around one main window, however the machine under them is made (the
// real one, or virtual seams in a test).
struct ConsoleParts {
    Clock& clock;
    Tventana_brisca& window;
    ConsolePump& pump;
    ConsoleView& view;
    QuestionDesk& desk;
    SessionRecord& record;
};

// The session as a user of the window runs it: presses the search button (again every few
// seconds while no meter answers, with --wait), lets the update run, asks an updated meter for
// the versions it now holds, and judges the whole. Under --json the report goes to `jsonOut`.
Outcome RunAndJudge(ConsoleParts console, const Options& options, const std::string& port,
                    std::ostream& jsonOut);

}  // namespace kell::cli
