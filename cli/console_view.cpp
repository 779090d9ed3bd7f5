#include "cli/console_view.h"

#include <algorithm>
#include <utility>

namespace kell::cli {
namespace {

constexpr std::int64_t kProgressLineIntervalUs = 1'000'000;
constexpr int kNarrowestBar = 10;
constexpr int kWidestBar = 30;

// Cuts a UTF-8 line to at most `bytes`, at a character boundary.
void CutTo(std::string& line, std::size_t bytes) {
    if (line.size() <= bytes)
        return;
    while (bytes > 0 && (static_cast<unsigned char>(line[bytes]) & 0xC0) == 0x80)
        --bytes;
    line.resize(bytes);
}

}  // namespace

ConsoleView::ConsoleView(std::ostream& screen, std::ostream& messages, bool liveBars, Clock& clock,
                         int columns, ConsoleWords words)
    : screen_(screen),
      messages_(messages),
      liveBars_(liveBars),
      clock_(clock),
      columns_(columns > 0 ? columns : 80),
      words_(std::move(words)) {}

std::array<std::string, 2> ConsoleView::FittedBarLines(const ScreenState& state) const {
    // The last column stays free: writing into it makes some terminals wrap at once.
    const auto room = static_cast<std::size_t>(columns_ - 1);
    const std::size_t withoutBar = BarLines(state, 0, words_)[0].size();
    const int barWidth = std::clamp(static_cast<int>(room) - static_cast<int>(withoutBar),
                                    kNarrowestBar, kWidestBar);
    std::array<std::string, 2> lines = BarLines(state, barWidth, words_);
    for (std::string& line : lines)
        CutTo(line, room);
    return lines;
}

void ConsoleView::Show(const ScreenState& state) {
    if (prompting_) {
        deferred_ = state;
        return;
    }
    if (!last_ || !state.SameText(*last_)) {
        ClearBars();
        if (printedBlock_)
            screen_ << "\n";
        screen_ << state.InfoBlock();
        screen_.flush();
        printedBlock_ = true;
    }
    last_ = state;
    ShowProgress(state);
}

void ConsoleView::ShowProgress(const ScreenState& state) {
    if (!state.barsShown) {
        ClearBars();  // the window hid them
        return;
    }
    if (prompting_)
        return;
    if (liveBars_) {
        const std::array<std::string, 2> lines = FittedBarLines(state);
        if (drawnLines_ > 0 && lines == drawn_)
            return;
        ClearBars();
        drawn_ = lines;
        DrawBars();
        return;
    }
    const std::string line = ProgressLine(state, words_);
    const std::int64_t now = clock_.MonotonicUs();
    if (line == lastProgressLine_ ||
        (lastProgressUs_ && now - *lastProgressUs_ < kProgressLineIntervalUs))
        return;
    screen_ << line << "\n";
    screen_.flush();
    lastProgressLine_ = line;
    lastProgressUs_ = now;
}

void ConsoleView::Say(const std::string& text, Channel channel) {
    ClearBars();
    screen_.flush();
    Stream(channel) << text << "\n";
    Stream(channel).flush();
    if (last_)
        ShowProgress(*last_);
}

void ConsoleView::Prompt(const std::string& text, Channel channel) {
    ClearBars();
    screen_.flush();
    prompting_ = true;
    promptChannel_ = channel;
    Stream(channel) << text;
    Stream(channel).flush();
}

void ConsoleView::EndPrompt(bool typedLine) {
    if (!prompting_)
        return;
    if (!typedLine && promptChannel_) {
        Stream(*promptChannel_) << "\n";
        Stream(*promptChannel_).flush();
    }
    prompting_ = false;
    promptChannel_.reset();
    if (deferred_) {
        const ScreenState state = *deferred_;
        deferred_.reset();
        Show(state);
    } else if (last_) {
        ShowProgress(*last_);
    }
}

void ConsoleView::Finish() {
    EndPrompt(false);
    // The bars stay as they were last drawn; the cursor is already below them.
    drawnLines_ = 0;
    screen_.flush();
    messages_.flush();
}

void ConsoleView::ClearBars() {
    if (drawnLines_ == 0)
        return;
    // Up to the first bar's line, then erase from there to the end of the screen.
    screen_ << "\x1b[" << drawnLines_ << "A\r\x1b[J";
    drawnLines_ = 0;
}

void ConsoleView::DrawBars() {
    for (const std::string& line : drawn_)
        screen_ << line << "\n";
    drawnLines_ = static_cast<int>(drawn_.size());
    screen_.flush();
}

}  // namespace kell::cli
