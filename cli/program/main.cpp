// kell-update-cli: the update session of the windowed updater, on the console.
#include "cli/console_program.h"

int main(int argc, char** argv) {
    return kell::cli::RunConsoleProgram(argc, argv);
}
