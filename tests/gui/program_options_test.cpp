#include <gtest/gtest.h>

#include "gui/program_options.h"
#include "gui/update_program.h"

namespace kell::testing {
using namespace kell::gui;
namespace {

ParsedOptions Parse(QStringList arguments) {
    arguments.prepend("kell-update");
    return ParseProgramOptions(arguments);
}

TEST(ProgramOptionsTest, EachOptionReachesItsField) {
    ParsedOptions none = Parse({});
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.options.port.empty());
    EXPECT_FALSE(none.options.simulate);
    EXPECT_FALSE(none.options.service);

    ParsedOptions all = Parse({"--port", "/dev/pts/7", "--lang-dir", "/opt/texts", "--service"});
    ASSERT_TRUE(all.ok) << all.message.toStdString();
    EXPECT_EQ(all.options.port, "/dev/pts/7");
    EXPECT_EQ(all.options.languageDir, "/opt/texts");
    EXPECT_TRUE(all.options.service);

    ParsedOptions bare = Parse({"--simulate"});
    ASSERT_TRUE(bare.ok);
    EXPECT_TRUE(bare.options.simulate);
    EXPECT_TRUE(bare.options.scenario.empty());

    ParsedOptions scenario = Parse({"--simulate", "busy.json"});
    ASSERT_TRUE(scenario.ok);
    EXPECT_EQ(scenario.options.scenario, "busy.json");
}

TEST(ProgramOptionsTest, ContradictionsAndStrayWordsAreRefused) {
    for (const QStringList& wrong :
         {QStringList{"--port"}, QStringList{"--port", ""}, QStringList{"scenario.json"},
          QStringList{"--simulate", "a.json", "b.json"},
          QStringList{"--simulate", "--port", "/dev/pts/3"}, QStringList{"--no-such-option"}}) {
        const ParsedOptions parsed = Parse(wrong);
        EXPECT_FALSE(parsed.ok) << wrong.join(' ').toStdString();
        EXPECT_FALSE(parsed.message.isEmpty());
    }
    const ParsedOptions help = Parse({"--help"});
    EXPECT_TRUE(help.ok && help.helpOnly);
    EXPECT_TRUE(help.message.contains("--simulate"));
}

TEST(ProgramOptionsTest, TheLanguageDirectoryWinsOverTheWorkingDirectory) {
    ProgramOptions options;
    options.languageDir = "/opt/texts";
    EXPECT_EQ(ProgramLanguageFile(options, "/home/user", "/usr/bin"), "/opt/texts/idiomas.ini");
    options.languageDir.clear();
    EXPECT_EQ(ProgramLanguageFile(options, "/nonexistent/work", ""),
              "/nonexistent/work/idiomas.ini");
}

}  // namespace
}  // namespace kell::testing
