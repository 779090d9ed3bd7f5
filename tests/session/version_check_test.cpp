// The check after an update: the meter, back from the restart that follows the session's finish,
// is asked again for its versions, and the window says whether it reports the new ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/session_rig.h"

namespace kell::testing {
namespace {

// The end of the session and the check, in the order the core tells them.
struct CheckEvents : SessionEvents {
    void SessionEnded(SessionEnd how, int) override {
        told.push_back(how == SessionEnd::Updated ? "updated" : "not updated");
    }
    void VersionCheckStarted() override { told.push_back("check started"); }
    void VersionsChecked(const VersionCheck& check) override {
        told.push_back("checked");
        checks.push_back(check);
    }

    std::vector<std::string> told;
    std::vector<VersionCheck> checks;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The window after the check: the session's own outcome stays, the meter was left without a
// beep or a box, the link is ended and the menus work again.
void ExpectLeftQuietly(SessionRig& rig) {
    Tventana_brisca& w = *rig.window;
    EXPECT_EQ(w.controls.Image_accion.index, kPictureUpdated);
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO5_L1);
    EXPECT_EQ(w.controls.Label_info2.caption, w.texts.PASO5_L2);
    EXPECT_TRUE(rig.notifier.beeps.empty());
    for (const RecordingNotifier::Message& message : rig.notifier.messages)
        EXPECT_NE(message.text, "USB error");
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_TRUE(w.controls.MenuArchivo.enabled);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(VersionCheckAfterUpdate, AFullUpdateIsConfirmedByWhatTheMeterReports) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    CheckEvents events;
    rig.window->SetSessionEvents(&events);
    Tventana_brisca& w = *rig.window;
    // While the meter restarts the window says what it waits for, with the menus off.
    std::vector<std::string> shownWhileChecking;
    rig.onPump = [&] {
        if (!events.told.empty() && events.told.back() == "check started" && !w.versionCheck &&
            (shownWhileChecking.empty() ||
             shownWhileChecking.back() != w.controls.Label_info3.caption)) {
            shownWhileChecking.push_back(w.controls.Label_info3.caption);
            EXPECT_FALSE(w.controls.MenuArchivo.enabled);
        }
    };
    rig.Search();

    ASSERT_EQ(w.State().resultCode, 0) << w.controls.Label_info1.caption;
    ExpectLeftQuietly(rig);
    EXPECT_EQ(shownWhileChecking, std::vector<std::string>{w.texts.PASO5_COMPROBANDO});
    EXPECT_EQ(events.told, (std::vector<std::string>{"updated", "check started", "checked"}));
    ASSERT_EQ(events.checks.size(), 1u);
    const VersionCheck& check = events.checks.front();
    EXPECT_TRUE(check.Verified());
    EXPECT_EQ(check.Why(), Unverified::None);
    ASSERT_EQ(check.checks.size(), 4u);
    const char* components[] = {"firmware", "fpga", "plans", "module"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(check.checks[i].component, components[i]);
        EXPECT_TRUE(check.checks[i].planned) << components[i];
        EXPECT_TRUE(check.checks[i].current) << components[i] << " " << check.checks[i].reported;
    }
    EXPECT_EQ(check.checks[0].reported, "2.04.00000");
    EXPECT_EQ(check.checks[0].carried, "2.04.00000");
    EXPECT_EQ(check.checks[1].reported, "3.4");
    ASSERT_TRUE(w.versionCheck);
    EXPECT_TRUE(w.versionCheck->Verified());

    EXPECT_EQ(w.controls.Label_info3.caption, w.texts.PASO5_VERIFICADO);
    const std::string& details = w.controls.Label_info3.hint;
    EXPECT_EQ(w.controls.Label_info1.hint, details);
    EXPECT_EQ(w.controls.Label_info2.hint, details);
    EXPECT_EQ(details.rfind(w.texts.VERSIONES_CABECERA, 0), 0u) << details;
    EXPECT_TRUE(Contains(details, w.texts.VERSION_FIRMWARE + ": 2.04.00000 (" +
                                      w.texts.VERSION_PROGRAMA + " 2.04.00000)"))
        << details;
    for (const std::string* name :
         {&w.texts.VERSION_FPGA, &w.texts.VERSION_PLANES, &w.texts.VERSION_MODULO})
        EXPECT_TRUE(Contains(details, "\n" + *name + ": ")) << *name << "\n" << details;
    EXPECT_FALSE(Contains(details, w.texts.VERSION_NO_ACTUAL)) << details;

    // The details belong to the lines they explain: the next search's lines have none.
    rig.SearchAgain();
    EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO7_L1);
    EXPECT_EQ(w.controls.Label_info3.hint, "");
}

TEST(VersionCheckAfterUpdate, AModuleThatKeepsItsOldSoftwareLeavesTheUpdateUnverified) {
    sim::Scenario scenario = sim::scenarios::NeedsFullUpdate();
    scenario.faults.push_back({sim::Event::ModuleFinish, sim::Action::Refuse, 1, 1, {}, 0});
    SessionRig rig(scenario);
    CheckEvents events;
    rig.window->SetSessionEvents(&events);
    Tventana_brisca& w = *rig.window;
    rig.Search();

    ASSERT_EQ(w.State().resultCode, 0) << w.controls.Label_info1.caption;
    ExpectLeftQuietly(rig);
    ASSERT_EQ(events.checks.size(), 1u);
    const VersionCheck& check = events.checks.front();
    EXPECT_TRUE(check.answered);
    EXPECT_FALSE(check.Verified());
    EXPECT_EQ(check.Why(), Unverified::NotCurrent);
    ASSERT_EQ(check.checks.size(), 4u);
    EXPECT_TRUE(check.checks[0].current) << "the firmware took";
    EXPECT_TRUE(check.checks[3].planned);
    EXPECT_FALSE(check.checks[3].current) << check.checks[3].reported;
    EXPECT_EQ(check.checks[3].reported.rfind("161 build", 0), 0u) << check.checks[3].reported;

    EXPECT_EQ(w.controls.Label_info3.caption, w.texts.PASO5_NO_VERIFICADO);
    EXPECT_TRUE(Contains(w.controls.Label_info3.hint, w.texts.VERSION_MODULO + ": 161 build"))
        << w.controls.Label_info3.hint;
    EXPECT_TRUE(Contains(w.controls.Label_info3.hint, w.texts.VERSION_NO_ACTUAL));
}

TEST(VersionCheckAfterUpdate, AMeterThatDoesNotComeBackLeavesTheUpdateUnverified) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    CheckEvents events;
    rig.window->SetSessionEvents(&events);
    Tventana_brisca& w = *rig.window;
    // The restart that follows the session's last finish never ends.
    rig.onPump = [&] {
        if (events.told.size() == 2 && events.told.back() == "check started") {
            rig.instrument->AddFault({sim::Event::Restart, sim::Action::NoAnswer, 0, 1, {}, 0});
            events.told.push_back("meter stays away");
        }
    };
    rig.Search();

    ASSERT_EQ(w.State().resultCode, 0) << w.controls.Label_info1.caption;
    ExpectLeftQuietly(rig);
    ASSERT_EQ(events.checks.size(), 1u);
    EXPECT_FALSE(events.checks.front().answered);
    EXPECT_TRUE(events.checks.front().checks.empty());
    EXPECT_EQ(events.checks.front().Why(), Unverified::NotBack);
    EXPECT_EQ(w.controls.Label_info3.caption, w.texts.PASO5_NO_VERIFICADO);
    EXPECT_EQ(w.controls.Label_info3.hint, w.texts.VERSIONES_SIN_RESPUESTA);
}

// The window closed while the meter restarts: the wait ends after the pause the session's closing
// also takes, without the reconnection's attempts; the meter was not asked, and nothing claims
// it did not come back.
TEST(VersionCheckAfterUpdate, ClosingTheWindowDuringTheWaitEndsItWithoutAVerdict) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    CheckEvents events;
    rig.window->SetSessionEvents(&events);
    Tventana_brisca& w = *rig.window;
    std::int64_t closedUs = -1;
    rig.onPump = [&] {
        if (closedUs < 0 && !events.told.empty() && events.told.back() == "check started") {
            ASSERT_TRUE(w.FormCloseQuery());
            w.FormClose();
            closedUs = rig.NowUs();
        }
    };
    rig.Search();

    ASSERT_GE(closedUs, 0);
    EXPECT_LT(rig.NowUs() - closedUs, 11 * kSecondUs);
    EXPECT_EQ(events.told, (std::vector<std::string>{"updated", "check started"}));
    EXPECT_FALSE(w.versionCheck);
    EXPECT_NE(w.controls.Label_info3.caption, w.texts.PASO5_NO_VERIFICADO);
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(VersionCheckAfterUpdate, AFrontEndMayLeaveTheCheckOut) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    CheckEvents events;
    rig.window->SetSessionEvents(&events);
    Tventana_brisca& w = *rig.window;
    w.checkVersionsAfterUpdate = false;
    rig.Search();

    ASSERT_EQ(w.State().resultCode, 0) << w.controls.Label_info1.caption;
    EXPECT_EQ(events.told, std::vector<std::string>{"updated"});
    EXPECT_FALSE(w.versionCheck);
    EXPECT_EQ(w.controls.Label_info3.caption, "");
    EXPECT_EQ(w.controls.Label_info3.hint, "");
}

}  // namespace
}  // namespace kell::testing
