#include "cli/screen_state.h"

#include <algorithm>

namespace kell::cli {
namespace {

constexpr std::size_t kLongestLabel = 24;

std::string OverallLabel(const ScreenState& state, const ConsoleWords& words) {
    std::string label = state.overallLabel.empty() ? words.CLI_OVERALL : state.overallLabel;
    if (label.size() > kLongestLabel) {
        // Cut at a character boundary of the UTF-8 text.
        std::size_t cut = kLongestLabel;
        while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80)
            --cut;
        label.resize(cut);
    }
    return label;
}

std::string Bar(const ProgressBar& bar, int width) {
    const int filled = Percent(bar) * width / 100;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

std::string PercentText(const ProgressBar& bar) {
    std::string text = std::to_string(Percent(bar)) + "%";
    return std::string(text.size() < 4 ? 4 - text.size() : 0, ' ') + text;
}

}  // namespace

std::string ScreenState::InfoBlock() const {
    std::string block;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (numbered)
            block += std::to_string(i + 1) + ". " + lines[i] + "\n";
        else if (!lines[i].empty())
            block += lines[i] + "\n";
    }
    return block;
}

int Percent(const ProgressBar& bar) {
    const long span = static_cast<long>(bar.maximum) - bar.minimum;
    if (span <= 0)
        return 0;
    const long done = std::clamp(static_cast<long>(bar.position) - bar.minimum, 0L, span);
    return static_cast<int>(done * 100 / span);
}

int MinutesLeft(const ProgressBar& overall) {
    return std::max(0, overall.maximum - overall.position) / 60;
}

std::array<std::string, 2> BarLines(const ScreenState& state, int barWidth,
                                    const ConsoleWords& words) {
    std::string overall = OverallLabel(state, words);
    std::string step = words.CLI_STEP;
    const std::size_t width = std::max(overall.size(), step.size());
    overall.resize(width, ' ');
    step.resize(width, ' ');
    return {overall + " " + Bar(state.overall, barWidth) + " " + PercentText(state.overall) +
                "  ~" + std::to_string(MinutesLeft(state.overall)) + " " + words.CLI_MIN_LEFT,
            step + " " + Bar(state.step, barWidth) + " " + PercentText(state.step)};
}

std::string ProgressLine(const ScreenState& state, const ConsoleWords& words) {
    return OverallLabel(state, words) + ": " + std::to_string(Percent(state.overall)) + "%, ~" +
           std::to_string(MinutesLeft(state.overall)) + " " + words.CLI_MIN_LEFT + "; " +
           words.CLI_STEP + ": " + std::to_string(Percent(state.step)) + "%";
}

}  // namespace kell::cli
