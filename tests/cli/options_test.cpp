#include "cli/options.h"

#include <gtest/gtest.h>

namespace kell::testing {
using namespace kell::cli;
namespace {

CommandLine Parse(QStringList arguments) {
    arguments.prepend("kell-update-cli");
    return ParseCommandLine(arguments);
}

TEST(CommandLineOptions, ASessionWithEveryOption) {
    const CommandLine line =
        Parse({"--simulate", "full.json", "--json", "--trace", "t.txt", "--lang-dir", "/l",
               "--answer", "time=ok,erase=cancel", "--answer", "plans=OK"});
    ASSERT_TRUE(line.options) << line.error;
    const Options& o = *line.options;
    EXPECT_EQ(o.action, Action::Session);
    EXPECT_TRUE(o.simulate && o.json);
    EXPECT_EQ(o.scenario, "full.json");
    EXPECT_EQ(o.traceFile, "t.txt");
    EXPECT_EQ(o.langDir, "/l");
    EXPECT_EQ(o.answers.time, true);
    EXPECT_EQ(o.answers.erase, false);
    EXPECT_EQ(o.answers.plans, true);
    EXPECT_FALSE(o.answers.yes);

    const CommandLine plain = Parse({});
    ASSERT_TRUE(plain.options);
    EXPECT_EQ(plain.options->action, Action::Session);
    EXPECT_FALSE(plain.options->simulate || plain.options->answers.time);
    EXPECT_NE(plain.helpText.find("Usage: kell-update-cli"), std::string::npos);
}

TEST(CommandLineOptions, ActionsGoAlone) {
    EXPECT_EQ(Parse({"--version"}).options->action, Action::Version);
    EXPECT_EQ(Parse({"--list-ports"}).options->action, Action::ListPorts);
    const CommandLine exportLine = Parse({"--export-payloads", "out"});
    EXPECT_EQ(exportLine.options->action, Action::ExportPayloads);
    EXPECT_EQ(exportLine.options->exportDir, "out");
    EXPECT_FALSE(Parse({"--version", "--list-ports"}).options);
}

// Several ports make a bench of sessions; each copy gets the answers the program was given.
TEST(CommandLineOptions, SeveralPortsPassTheirAnswersOnToEachSession) {
    const CommandLine line = Parse({"--port", "/dev/pts/1", "--port", "/dev/pts/2", "--yes",
                                    "--answer", "time=ok,erase=cancel"});
    ASSERT_TRUE(line.options) << line.error;
    EXPECT_TRUE(line.options->SideBySide());
    EXPECT_EQ(line.options->ports, (std::vector<std::string>{"/dev/pts/1", "/dev/pts/2"}));
    QStringList copy = AnswerArguments(line.options->answers);
    copy.prepend("kell-update-cli");
    const CommandLine passedOn = ParseCommandLine(copy);
    ASSERT_TRUE(passedOn.options) << passedOn.error;
    EXPECT_TRUE(passedOn.options->answers.yes);
    EXPECT_EQ(passedOn.options->answers.time, true);
    EXPECT_EQ(passedOn.options->answers.erase, false);
    EXPECT_FALSE(passedOn.options->answers.plans.has_value());

    EXPECT_FALSE(Parse({"--port", "/dev/pts/1"}).options->SideBySide());
    EXPECT_TRUE(Parse({"--all"}).options->SideBySide());
}

TEST(CommandLineOptions, UsageErrorsSayWhat) {
    const std::pair<QStringList, std::string> cases[] = {
        {{"--nonsense"}, "nonsense"},
        {{"scenario.json"}, "--simulate"},
        {{"--simulate", "a.json", "b.json"}, "too many"},
        {{"--simulate", "--port", "/dev/pts/1"}, "exclude"},
        {{"--port"}, "port"},
        {{"--port", ""}, "--port needs a value"},
        {{"--answer", "time"}, "question=ok|cancel"},
        {{"--answer", "time=later"}, "ok or cancel"},
        {{"--answer", "keypad=ok"}, "unknown question"},
        {{"--answer", ","}, "no answer"},
        {{"--all", "--port", "/dev/pts/1"}, "exclude"},
        {{"--port", "/dev/pts/1", "--port", "/dev/pts/2", "--trace", "t"}, "one instrument"},
        {{"--all", "--wait", "5"}, "one instrument"},
    };
    for (const auto& [arguments, expected] : cases) {
        const CommandLine line = Parse(arguments);
        EXPECT_FALSE(line.options) << arguments.join(' ').toStdString();
        EXPECT_NE(line.error.find(expected), std::string::npos)
            << arguments.join(' ').toStdString() << ": " << line.error;
    }
}

}  // namespace
}  // namespace kell::testing
