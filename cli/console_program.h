#pragma once

namespace kell::cli {

// kell-update-cli: parses the command line and does what it asks; returns the exit status
// (outcome.h). Creates the program's QCoreApplication.
int RunConsoleProgram(int argc, char** argv);

}  // namespace kell::cli
