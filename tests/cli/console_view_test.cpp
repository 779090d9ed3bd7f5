#include "cli/console_view.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/virtual/virtual_clock.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

ScreenState Updating(int overall, int step) {
    ScreenState state;
    state.lines = {"Updating the meter.", "Keep it on its charger.", "Step: 1/4"};
    state.barsShown = true;
    state.overallLabel = "Overall progress";
    state.overall.SetRange(0, 1015);
    state.overall.SetPosition(overall);
    state.step.SetRange(0, 13);
    state.step.SetPosition(step);
    return state;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(ScreenStateText, NumberedLinesKeepTheirPlaceAndPlainOnesSkipEmptyLines) {
    ScreenState state;
    state.lines = {"Switch it on.", "", "Press the button."};
    EXPECT_EQ(state.InfoBlock(), "Switch it on.\nPress the button.\n");
    state.numbered = true;
    EXPECT_EQ(state.InfoBlock(), "1. Switch it on.\n2. \n3. Press the button.\n");
}

TEST(ScreenStateText, BarsShowPercentAndMinutesLeftFromTheWeights) {
    ScreenState state = Updating(415, 13);
    EXPECT_EQ(Percent(state.overall), 40);
    EXPECT_EQ(MinutesLeft(state.overall), 10);  // (1015 - 415) / 60
    EXPECT_EQ(Percent(state.step), 100);
    const auto lines = BarLines(state, 10);
    EXPECT_EQ(lines[0], "Overall progress [####------]  40%  ~10 min left");
    EXPECT_EQ(lines[1], "Step             [##########] 100%");
    // The sequence empties the range before it sums the weights.
    state.overall.SetRange(0, 0);
    EXPECT_EQ(Percent(state.overall), 0);
    EXPECT_EQ(MinutesLeft(state.overall), 0);
    EXPECT_EQ(ProgressLine(Updating(415, 0)), "Overall progress: 40%, ~10 min left; Step: 0%");
}

TEST(ConsoleViewLive, BarsAreRedrawnInPlaceOnlyWhenTheyChange) {
    VirtualClock clock;
    std::ostringstream screen, messages;
    ConsoleView view(screen, messages, true, clock);
    view.Show(Updating(0, 0));
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 1u);
    view.Show(Updating(1, 0));  // still 0 %: nothing to draw
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 1u);
    view.Show(Updating(500, 6));
    EXPECT_EQ(Count(screen.str(), "\x1b[2A\r\x1b[J"), 1u);
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 2u);

    // Text goes above the bars, which are drawn again below it.
    screen.str("");
    view.Say("(note)", ConsoleView::Channel::Messages);
    EXPECT_EQ(messages.str(), "(note)\n");
    EXPECT_EQ(screen.str().rfind("\x1b[2A\r\x1b[J", 0), 0u);
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 1u);

    // While a prompt waits, the bars stay away from the line being typed.
    screen.str("");
    view.Prompt("Answer 1 or 2: ");
    view.Show(Updating(900, 6));
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 0u);
    view.EndPrompt(true);
    EXPECT_EQ(Count(screen.str(), "Overall progress ["), 1u);

    // Lines that change while a prompt waits come after it.
    screen.str("");
    view.Prompt("Answer 1 or 2: ");
    ScreenState next = Updating(900, 6);
    next.lines[2] = "Step: 2/4";
    view.Show(next);
    EXPECT_EQ(screen.str().find("Step: 2/4"), std::string::npos);
    view.EndPrompt(true);
    EXPECT_NE(screen.str().find("Step: 2/4"), std::string::npos);

    // Hidden by the window, they go from the screen too.
    screen.str("");
    ScreenState done = next;
    done.barsShown = false;
    view.Show(done);
    EXPECT_EQ(screen.str(), "\x1b[2A\r\x1b[J");
}

TEST(ConsoleViewLive, BarsFitANarrowTerminalSoThatTheyNeverWrap) {
    VirtualClock clock;
    std::ostringstream screen, messages;
    ConsoleView view(screen, messages, true, clock, 40);
    ScreenState state = Updating(500, 6);
    state.lines = {"", "", ""};
    view.Show(state);
    std::istringstream drawn(screen.str());
    int bars = 0;
    for (std::string line; std::getline(drawn, line);) {
        if (line.empty())
            continue;
        ++bars;
        EXPECT_LE(line.size(), 39u) << line;
    }
    EXPECT_EQ(bars, 2);
}

TEST(ConsoleViewPlain, ProgressIsALineAtMostOnceASecond) {
    VirtualClock clock;
    std::ostringstream screen, messages;
    ConsoleView view(screen, messages, false, clock);
    view.Show(Updating(0, 0));
    view.Show(Updating(100, 3));
    EXPECT_EQ(Count(screen.str(), "Overall progress:"), 1u);
    clock.AdvanceBy(1'000'000);
    view.Show(Updating(100, 3));
    view.Show(Updating(100, 3));
    EXPECT_EQ(Count(screen.str(), "Overall progress:"), 2u);
    clock.AdvanceBy(5'000'000);
    view.Show(Updating(100, 3));  // unchanged: not repeated
    EXPECT_EQ(Count(screen.str(), "Overall progress:"), 2u);
    EXPECT_EQ(screen.str().find("\x1b["), std::string::npos);
    EXPECT_EQ(Count(screen.str(), "Updating the meter."), 1u);
}

}  // namespace
}  // namespace kell::testing

namespace kell::testing {
using namespace kell::cli;
namespace {

std::string WrittenFile(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(ConsoleWordsFromTheLanguageFile, TheChosenLanguageSpeaksAndAMissingWordStaysEnglish) {
    const ConsoleWords words = ConsoleWords::Load(
        WrittenFile("console_words_partial.ini", "[COMUN]\nIDIOMA=ES\n[ES]\nCLI_STEP=Paso\n"));
    EXPECT_EQ(words.CLI_STEP, "Paso");
    EXPECT_EQ(words.CLI_MIN_LEFT, ConsoleWords{}.CLI_MIN_LEFT);
    EXPECT_EQ(BarLines(Updating(415, 0), 10, words)[1].rfind("Paso", 0), 0u);

    // The shipped file says every word in Spanish.
    std::ifstream shipped(KELL_LANGUAGE_FILE_FOR_TESTS);
    std::stringstream text;
    text << shipped.rdbuf();
    std::string spanish = text.str();
    spanish.replace(spanish.find("IDIOMA=EN"), 9, "IDIOMA=ES");
    const ConsoleWords es = ConsoleWords::Load(WrittenFile("console_words_es.ini", spanish));
    const ConsoleWords english;
#define KELL_EXPECT_TRANSLATED(key, text) \
    EXPECT_NE(es.key, english.key) << #key " has no Spanish wording";
    KELL_CONSOLE_WORDS(KELL_EXPECT_TRANSLATED)
#undef KELL_EXPECT_TRANSLATED
}

}  // namespace
}  // namespace kell::testing
