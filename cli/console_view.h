#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "cli/console_words.h"
#include "cli/screen_state.h"
#include "platform/clock.h"

namespace kell::cli {

// Draws the window on the console. The info lines are printed as a block whenever they
// change. On a terminal the two bars stay at the bottom and are redrawn in place; anything
// else printed meanwhile goes above them. Without a terminal the bars become a plain progress
// line at most once a second. Message boxes and beeps go to the message stream.
class ConsoleView {
  public:
    enum class Channel { Screen, Messages };

    // screen: standard output (standard error under --json); messages: standard error.
    // liveBars: the screen is a terminal that understands cursor movement, `columns` wide
    // (the bars are fitted to it, so that neither wraps and the redraw stays in place).
    ConsoleView(std::ostream& screen, std::ostream& messages, bool liveBars, Clock& clock,
                int columns = 80, ConsoleWords words = {});

    // The console's own words, in the session's language.
    const ConsoleWords& Words() const { return words_; }

    // While a prompt waits, what changes is drawn after it ends.
    void Show(const ScreenState& state);
    // A line of this program's own (a note, a question's text).
    void Say(const std::string& text, Channel channel = Channel::Screen);
    // Asks: the text stays without a line end for the answer to be typed after it, and the
    // bars wait until EndPrompt.
    void Prompt(const std::string& text, Channel channel = Channel::Screen);
    // typedLine: the user ended the prompt's line with Enter; otherwise it is ended here.
    void EndPrompt(bool typedLine);
    // Leaves the cursor on a fresh line below whatever was drawn last.
    void Finish();

  private:
    std::ostream& Stream(Channel channel) {
        return channel == Channel::Screen ? screen_ : messages_;
    }
    void ClearBars();
    void DrawBars();
    void ShowProgress(const ScreenState& state);
    std::array<std::string, 2> FittedBarLines(const ScreenState& state) const;

    std::ostream& screen_;
    std::ostream& messages_;
    bool liveBars_;
    Clock& clock_;
    int columns_;
    ConsoleWords words_;
    std::optional<ScreenState> last_;
    std::optional<ScreenState> deferred_;  // came while a prompt waited
    bool printedBlock_ = false;
    bool prompting_ = false;
    std::optional<Channel> promptChannel_;
    int drawnLines_ = 0;
    std::array<std::string, 2> drawn_;
    std::string lastProgressLine_;
    std::optional<std::int64_t> lastProgressUs_;
};

}  // namespace kell::cli
