#pragma once

#include <array>
#include <string>

#include "cli/console_words.h"
#include "platform/controls.h"

namespace kell::cli {

// What the console shows of the main window: the three info lines with their numbering, and
// the two bars while the update runs.
struct ScreenState {
    std::array<std::string, 3> lines;
    bool numbered = false;  // Label_n1..3 shown: the lines are instructions "1." "2." "3."
    bool barsShown = false;
    std::string overallLabel;  // Label_progreso_general
    ProgressBar overall;       // ProgressBar_general: weights in seconds
    ProgressBar step;          // Barra_progreso

    // The info lines as the console prints them: one line each, numbered when the window
    // numbers them; empty lines left out unless numbered.
    std::string InfoBlock() const;
    bool SameText(const ScreenState& other) const {
        return lines == other.lines && numbered == other.numbered;
    }
};

// Percent of a bar's range (0 for an empty range).
int Percent(const ProgressBar& bar);
// Minutes the overall bar still has to go: its weights are seconds.
int MinutesLeft(const ProgressBar& overall);

// "Overall progress [########------]  45%  ~12 min left" and "Step [###---]  25%", with the
// labels padded to the same width, for drawing in place on a terminal.
std::array<std::string, 2> BarLines(const ScreenState& state, int barWidth = 30,
                                    const ConsoleWords& words = {});
// One plain line for a log: "Overall progress: 45%, ~12 min left; step: 25%".
std::string ProgressLine(const ScreenState& state, const ConsoleWords& words = {});

}  // namespace kell::cli
