// A modal question holds the core until it is answered, and the window behind it stays as the
// front end last drew it. Before any question opens, the front end has drawn the window as the
// session last set it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/app/search_rig.h"
#include "tests/support/window_arrangement.h"

namespace kell::testing {
namespace {

struct InfoLines {
    std::string line1, line2, line3;
    static InfoLines Of(const Tventana_brisca& w) {
        return {w.controls.Label_info1.caption, w.controls.Label_info2.caption,
                w.controls.Label_info3.caption};
    }
    bool operator==(const InfoLines&) const = default;
};

void PrintTo(const InfoLines& lines, std::ostream* out) {
    *out << '"' << lines.line1 << "\" / \"" << lines.line2 << "\" / \"" << lines.line3 << '"';
}

// Plays a front end that draws the window at each pump, and notes what it showed behind each
// question: a message box when it opens, the attention panel when it is first seen. The waits
// for the user are not counted as drawing: a question must not rely on one.
struct QuestionsOverTheWindow : ::testing::Test {
    SearchRig rig;
    InfoLines drawn;
    std::vector<std::pair<std::string, InfoLines>> asked;  // the question, the lines behind it

    void Watch(Tventana_brisca& w) {
        rig.onPump = [this, &w, pumps = rig.pump.pumps]() mutable {
            if (rig.pump.pumps != pumps) {
                pumps = rig.pump.pumps;
                drawn = InfoLines::Of(w);
            }
            if (w.controls.Panel_atencion.visible) {
                asked.emplace_back(w.controls.Label_atencion_linea1.caption, drawn);
                w.Button_atencion_okClick();
            }
        };
        rig.notifier.onMessage = [this](const RecordingNotifier::Message& m) {
            asked.emplace_back(m.text, drawn);
        };
    }
};

TEST_F(QuestionsOverTheWindow, TheSessionsQuestionsOpenOverTheUpdatesLines) {
    rig.AddSimulated(1, sim::scenarios::PlanTypeZeroOldPlan());
    Tventana_brisca& w = rig.Window();
    Watch(w);
    // The time question, then the new plans and the erase they need, each answered OK.
    rig.Search();

    const LocalisedTexts& t = w.texts;
    const InfoLines updating{t.PASO4_L1, t.PASO4_L2, t.PASO4_L3};
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].first.rfind(t.TIEMPO_TOTAL1, 0), 0u) << asked[0].first;
    EXPECT_EQ(asked[1].first, t.AVISOPLAN1);
    EXPECT_EQ(asked[2].first, t.AVISOMEM1);
    for (const auto& [question, behind] : asked)
        EXPECT_EQ(behind, updating) << question;
    EXPECT_EQ(w.controls.Image_accion.index, kPictureUpdated);
}

TEST_F(QuestionsOverTheWindow, AnyMessageBoxAndThePanelOpenOverTheLinesAsLastSet) {
    Tventana_brisca& w = rig.Window();
    Watch(w);
    w.controls.Label_info1.caption = "set by a handler";
    WindowArrangement::State(w).sessionRunning = true;
    w.MenuSalirClick();  // "the update runs", asked from the window itself
    w.controls.Label_info1.caption = "set by a step";
    w.Session().link.notifier.MessageBox("asked by an updater", "", MessageButtons::Ok);
    w.controls.Label_info1.caption = "set before a question on the panel";
    EXPECT_EQ(w.ShowAttention("H", "on the panel", "", "", "OK", "CANCEL"), 1);

    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].second.line1, "set by a handler");
    EXPECT_EQ(asked[1].first, "asked by an updater");
    EXPECT_EQ(asked[1].second.line1, "set by a step");
    EXPECT_EQ(asked[2].first, "on the panel");
    EXPECT_EQ(asked[2].second.line1, "set before a question on the panel");
}

}  // namespace
}  // namespace kell::testing
