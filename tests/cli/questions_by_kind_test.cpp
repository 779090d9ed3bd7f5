// The console answers each question of a session by what the core says it is, whatever the
// language file makes of its texts and button captions: a translation that words the plans
// question like the erase question must not turn an answer to one into an answer to the other.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/outcome.h"
#include "sim/instrument.h"
#include "sim/named_scenarios.h"
#include "tests/cli/cli_rig.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

// The shipped language file with every text of its English section, button captions included,
// set to the same string.
std::string EveryTextTheSame(const QTemporaryDir& dir) {
    std::ifstream shipped(KELL_LANGUAGE_FILE_FOR_TESTS);
    const std::string path = dir.filePath("idiomas.ini").toStdString();
    std::ofstream out(path);
    std::string line;
    bool english = false;
    while (std::getline(shipped, line)) {
        if (!line.empty() && line[0] == '[')
            english = line.rfind("[EN]", 0) == 0;
        const std::size_t equals = line.find('=');
        if (english && equals != std::string::npos && line[0] != ';')
            line = line.substr(0, equals + 1) + "OK";
        out << line << "\n";
    }
    return path;
}

// A language file that names a section it does not have: every text is empty.
std::string SectionMissing(const QTemporaryDir& dir) {
    const std::string path = dir.filePath("idiomas.ini").toStdString();
    std::ofstream(path) << "[COMUN]\nIDIOMA=XX\n";
    return path;
}

// The plans of type 0 are old: the plans question, then (if they are to be installed) the
// erase question that installing them needs.
struct Session {
    Session(const std::string& answers, const std::string& languageFile)
        : rig(Answers(answers, true), false, languageFile),
          instrument(rig.clock, rig.clock, rig.line, sim::scenarios::PlanTypeZeroOldPlan()) {
        rig.line.Attach(&instrument);
        plansBefore = instrument.Flash(kPlans, kPlansLength);
        rig.w().Button_buscar_puertoClick();
        rig.w().Button_buscar_puertoClick();
        rig.record.Finish(rig.w());
    }
    ~Session() { rig.line.Attach(&rig.device); }

    std::vector<std::string> Asked() const {
        std::vector<std::string> asked;
        for (const QuestionRecord& q : rig.record.Questions())
            asked.push_back(q.question + (q.ok ? "=ok" : "=cancel"));
        return asked;
    }

    static constexpr std::uint32_t kPlans = 0x1E0000;
    static constexpr std::size_t kPlansLength = 4096;

    CliRig rig;
    sim::Instrument instrument;
    std::vector<std::uint8_t> plansBefore;
};

class QuestionsByKind : public ::testing::TestWithParam<std::string (*)(const QTemporaryDir&)> {
  protected:
    QTemporaryDir dir;
};

TEST_P(QuestionsByKind, CancelOnThePlansQuestionInstallsNothingAndErasesNothing) {
    Session s("plans=cancel", GetParam()(dir));
    EXPECT_EQ(s.Asked(), (std::vector<std::string>{"time=ok", "plans=cancel"}));
    EXPECT_FALSE(s.rig.w().controls.Check_borrar.checked);
    for (const StepRecord& step : s.rig.record.Steps())
        EXPECT_TRUE(step.component != "plans" && step.component != "erase") << step.component;
    EXPECT_EQ(s.instrument.Flash(Session::kPlans, Session::kPlansLength), s.plansBefore);
    EXPECT_TRUE(s.instrument.Violations().Empty()) << s.instrument.Report(20);
}

TEST_P(QuestionsByKind, CancelOnTheEraseQuestionStopsTheSessionBeforeAnyStep) {
    Session s("plans=ok,erase=cancel", GetParam()(dir));
    EXPECT_EQ(s.Asked(), (std::vector<std::string>{"time=ok", "plans=ok", "erase=cancel"}));
    EXPECT_EQ(s.rig.record.HowItEnded(), Ending::EraseRefused);
    EXPECT_TRUE(s.rig.record.Steps().empty());
    EXPECT_EQ(s.instrument.Flash(Session::kPlans, Session::kPlansLength), s.plansBefore);
    const Outcome outcome = DecideOutcome(s.rig.record.HowItEnded(), s.rig.w().State().resultCode,
                                          s.rig.w().State().eraseRefused, false, std::nullopt);
    EXPECT_EQ(outcome.name, "cancelled");
}

INSTANTIATE_TEST_SUITE_P(LanguageFiles, QuestionsByKind,
                         ::testing::Values(&EveryTextTheSame, &SectionMissing));

}  // namespace
}  // namespace kell::testing
