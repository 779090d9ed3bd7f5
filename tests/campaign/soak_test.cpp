// Many whole sessions in one window, as a technician's day of updates: memory must not grow.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/campaign/campaign_rig.h"
#include "tests/campaign/session_plan.h"

#if defined(__SANITIZE_ADDRESS__)
#define KELL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELL_UNDER_ASAN 1
#endif
#endif

namespace kell::testing {
namespace {

#ifdef KELL_UNDER_ASAN
// The sanitiser keeps freed memory in quarantine: the resident size says nothing here.
constexpr bool kMeasureMemory = false;
constexpr int kSessions = 40;
#else
constexpr bool kMeasureMemory = true;
constexpr int kSessions = 200;
#endif
constexpr int kWarmUpSessions = 20;
constexpr long kSlackKiB = 8 * 1024;
constexpr int kFaultEvery = 10;

// The resident size of this process, from /proc/self/status; -1 where it cannot be read.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// Cheap sessions: plans or zone out of date, in turn; every tenth with a fault that the session
// gets over (a missing answer to a frame it tries again) or one that fails it.
sim::Scenario ScenarioOf(int session, Components& components) {
    components = Components{};
    if (session % 2 == 0)
        components.plans = true;
    else
        components.zone = true;
    sim::Scenario scenario = ScenarioFor(components);
    if (session % kFaultEvery == 0)
        scenario.faults.push_back({sim::Event::BufferFrame, sim::Action::NoAnswer, 3, 1, {}, 0});
    if (session % kFaultEvery == 5)
        scenario.faults.push_back({sim::Event::EepromWrite, sim::Action::NoAnswer, 2, 0, {}, 0});
    return scenario;
}

TEST(Soak, TwoHundredSessionsInOneWindowDoNotGrowItsMemory) {
    Components components;
    CampaignRig rig(ScenarioOf(0, components));
    rig.beforeSession = [&components](Tventana_brisca& w) {
        if (components.zone)
            w.controls.Check_configuracion.checked = true;
    };
    long warmKiB = -1;
    double virtualSeconds = 0;
    int updated = 0, failed = 0;
    for (int session = 0; session < kSessions; ++session) {
        if (session > 0)
            rig.ReplaceInstrument(ScenarioOf(session, components));
        rig.notifier.messages.clear();
        rig.notifier.beeps.clear();
        const std::int64_t startUs = rig.NowUs();
        rig.Search();
        virtualSeconds += static_cast<double>(rig.NowUs() - startUs) / 1e6;

        const Tventana_brisca& w = *rig.window;
        const bool faulted = session % kFaultEvery == 0 || session % kFaultEvery == 5;
        if (w.controls.Image_accion.index == kPictureUpdated) {
            ++updated;
            // The session did write what it was there for.
            const sim::Instrument& i = *rig.instrument;
            if (components.plans)
                EXPECT_EQ(i.Flash(0x1E0003, 1)[0], 103) << "session " << session;
            else
                EXPECT_EQ(i.Eeprom('R', 8, 0x0100, 1)[0], 0xA0) << "session " << session;
        } else {
            ++failed;
            EXPECT_TRUE(faulted) << "session " << session << " ended with picture "
                                 << w.controls.Image_accion.index << ", code "
                                 << w.State().resultCode;
        }
        EXPECT_FALSE(rig.serial.IsOpen()) << "session " << session;
        EXPECT_EQ(w.State().stage, 0) << "session " << session;
        if (session + 1 == kWarmUpSessions)
            warmKiB = ResidentKiB();
    }
    const long endKiB = ResidentKiB();
    std::printf(
        "soak: %d sessions in one window, %.0f s of virtual time (%d updated, %d failed "
        "on purpose); resident %ld KiB after %d, %ld KiB at the end\n",
        kSessions, virtualSeconds, updated, failed, warmKiB, kWarmUpSessions, endKiB);
    EXPECT_GT(updated, kSessions / 2);
    if (kMeasureMemory) {
        ASSERT_GT(warmKiB, 0);
        EXPECT_LE(endKiB - warmKiB, kSlackKiB);
    }
}

}  // namespace
}  // namespace kell::testing
