#pragma once

#include <string>

namespace kell::cli {

// The console program's own words: read from the language file's section for the chosen
// language, as the window's texts are, with English built in for a file that lacks them.
// clang-format off
#define KELL_CONSOLE_WORDS(X)                                                                   \
    X(CLI_OVERALL, "Overall progress")                                                          \
    X(CLI_STEP, "Step")                                                                         \
    X(CLI_MIN_LEFT, "min left")                                                                 \
    X(CLI_STOPPING, "Stopping: the session ends at its next safe point and leaves the meter "    \
                    "ready. Press Ctrl-C again to quit at once.")                               \
    X(CLI_ANSWER, "Answer")                                                                     \
    X(CLI_OR, "or")                                                                             \
    X(CLI_REPRESS_PROMPT, "Press Enter when done (or type cancel to stop the update): ")       \
    X(CLI_UPDATED, "The meter was updated.")                                                    \
    X(CLI_UNVERIFIED, "The update ended, but the meter does not report the new versions.")      \
    X(CLI_CANCELLED, "The update was cancelled")                                                \
    X(CLI_NOT_FOUND, "No meter answered.")                                                      \
    X(CLI_NOT_UPDATED, "The meter was not updated.")                                            \
    X(CLI_FAILED, "The update failed")                                                          \
    X(CLI_INCOMPLETE, "The update did not run to its end.")                                     \
    X(CLI_ERROR_CODE, "error code")
// clang-format on

struct ConsoleWords {
#define KELL_CONSOLE_WORD_FIELD(key, english) std::string key = english;
    KELL_CONSOLE_WORDS(KELL_CONSOLE_WORD_FIELD)
#undef KELL_CONSOLE_WORD_FIELD

    // The words of the language the file chooses; English where it gives none.
    static ConsoleWords Load(const std::string& languageFile);
};

}  // namespace kell::cli
