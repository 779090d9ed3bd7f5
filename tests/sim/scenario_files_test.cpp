#include <gtest/gtest.h>

#include "sim/named_scenarios.h"
#include "sim/scenario_json.h"

namespace kell::testing {
using namespace kell::sim;
namespace {

TEST(SimScenarioFiles, EachShippedFileIsItsNamedScenario) {
    for (const scenarios::Named& named : scenarios::All()) {
        ScenarioLoad load =
            LoadScenarioFile(std::string(KELL_SIM_SCENARIO_DIR) + "/" + named.fileName);
        ASSERT_TRUE(load.scenario) << load.error;
        EXPECT_TRUE(*load.scenario == named.make()) << named.fileName;
    }
}

TEST(SimScenarioFiles, EveryFieldAndFaultIsRead) {
    ScenarioLoad load = ParseScenario(R"({
        "name": "x", "mode": "busy", "modeAfterRestart": "bootstrap",
        "identity": "01 02 03", "identityAfterRestart": [4, 5],
        "hardwareType": [0, 3], "threeFpgaConfigurations": false, "level": 17,
        "region": "USA", "firmware": "2.04.00007", "fpga": "3.40",
        "plan": {"type": 4, "version": 111}, "zone": 69, "setting562": 1, "setting571": 6500,
        "peripheralStatus8": 128, "peripheralStatus12": 64,
        "module": {"present": false, "version": 258, "build": 16, "decoders": 3, "boot": 4, "serial": "AA"},
        "graphics": {"enabled": false, "firstBank": 127, "baseAddress": 4660},
        "keypadRequests": [6, 14, 20], "moduleStartAnswer": 1,
        "timing": {"restartMs": 1.5, "answerMs": 0},
        "faults": [{"event": "block", "action": "refuse", "occurrence": 3, "times": 2},
                   {"event": "module_finish", "action": "no_answer"}],
        "transcript": false
    })");
    ASSERT_TRUE(load.scenario) << load.error;
    const Scenario& s = *load.scenario;
    EXPECT_EQ(s.mode, Mode::Busy);
    EXPECT_EQ(s.modeAfterRestart, Mode::Bootstrap);
    EXPECT_EQ(s.identity, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(s.identityAfterRestart, (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(s.firmwareRelease, "2.04");
    EXPECT_EQ(s.firmwareBuild, "00007");
    EXPECT_EQ(s.fpgaMinor, 40);
    EXPECT_EQ(s.planType, 4);
    EXPECT_EQ(s.module.version, 258);
    EXPECT_EQ(s.graphics.baseAddress, 0x1234);
    EXPECT_EQ(s.timing.restartUs, 1500);
    EXPECT_EQ(s.timing.answerUs, 0);
    ASSERT_EQ(s.faults.size(), 2u);
    EXPECT_EQ(s.faults[0].event, Event::Block);
    EXPECT_EQ(s.faults[0].action, Action::Refuse);
    EXPECT_EQ(s.faults[0].occurrence, 3);
    EXPECT_EQ(s.faults[1].event, Event::ModuleFinish);
    EXPECT_FALSE(s.keepTranscript);
}

TEST(SimScenarioFiles, BadTextIsRefusedWithTheFieldNamed) {
    EXPECT_EQ(ParseScenario("{ not json").error, "the text is not valid JSON");
    EXPECT_NE(ParseScenario(R"({"levle": 3})").error.find("levle"), std::string::npos);
    EXPECT_NE(ParseScenario(R"({"level": 300})").error.find("level"), std::string::npos);
    EXPECT_NE(ParseScenario(R"({"plan": {"type": "one"}})").error.find("plan.type"),
              std::string::npos);
    EXPECT_NE(ParseScenario(R"({"faults": [{"event": "nothing"}]})").error.find("faults[0].event"),
              std::string::npos);
    EXPECT_NE(ParseScenario(R"({"identity": "0G"})").error.find("identity"), std::string::npos);
    EXPECT_NE(ParseScenario(R"({"firmware": 204})").error.find("firmware"), std::string::npos);
    EXPECT_FALSE(ParseScenario("[1, 2]").scenario);
    EXPECT_FALSE(LoadScenarioFile("/nonexistent/x.json").scenario);
}

}  // namespace
}  // namespace kell::testing
