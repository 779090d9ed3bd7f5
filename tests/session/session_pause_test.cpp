// The fixed pauses of a session, seen where they show: as silences on the line between the
// steps, on virtual time. Each must last at least its pause and not much more (a reconnection
// adds its wake-up pulses and settling, 740 ms).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/session/session_checks.h"
#include "tests/session/session_rig.h"

namespace kell::testing {
namespace {

constexpr std::int64_t kSecond = 1'000'000;
// What a pause may grow by: the reconnection's pulses and settling, and a few exchanges.
constexpr std::int64_t kSlack = kSecond;

// A time without any byte on the line, and where the session stood at its two ends.
struct Silence {
    std::int64_t fromUs;
    std::int64_t toUs;
    int stepBefore;
    int stepAfter;
    std::uint32_t baudBefore;
    std::uint32_t baudAfter;
    std::int64_t Length() const { return toUs - fromUs; }
};

// Notes every silence on the line of at least 50 ms.
class SilenceLog {
  public:
    explicit SilenceLog(SessionRig& rig) : rig_(rig) {
        rig.line.SetTap([this](VirtualLine::Direction, std::int64_t timeUs, std::uint8_t) {
            const int step = rig_.window->stepIndex;
            const std::uint32_t baud = rig_.line.HostBaud();
            if (lastUs_ >= 0 && timeUs - lastUs_ >= kShortest)
                silences.push_back({lastUs_, timeUs, lastStep_, step, lastBaud_, baud});
            lastUs_ = timeUs;
            lastStep_ = step;
            lastBaud_ = baud;
        });
    }
    ~SilenceLog() { rig_.line.SetTap({}); }

    // The longest silence that began and ended while the session was at these steps, within
    // the time from afterUs to beforeUs.
    Silence Longest(int stepBefore, int stepAfter, std::int64_t afterUs = 0,
                    std::int64_t beforeUs = INT64_MAX) const {
        Silence longest{0, 0, 0, 0, 0, 0};
        for (const Silence& s : silences) {
            if (s.stepBefore == stepBefore && s.stepAfter == stepAfter && s.fromUs >= afterUs &&
                s.toUs <= beforeUs && s.Length() > longest.Length())
                longest = s;
        }
        return longest;
    }
    // The first silence after the PC's side went to `baud`. (The speed-change frame itself is
    // still on the wire when the port changes speed, so the silence before it does not count.)
    Silence AfterSpeedChange(std::uint32_t baud) const {
        for (const Silence& s : silences) {
            if (s.baudBefore == baud)
                return s;
        }
        return {0, 0, 0, 0, 0, 0};
    }

    std::vector<Silence> silences;

  private:
    static constexpr std::int64_t kShortest = 50'000;
    SessionRig& rig_;
    std::int64_t lastUs_ = -1;
    int lastStep_ = 0;
    std::uint32_t lastBaud_ = 0;
};

std::string Seconds(std::int64_t us) {
    return std::to_string(static_cast<double>(us) / kSecond) + " s";
}

// The bytes written just before a pause are still on the wire during it: a silence on the line
// may be shorter than the pause by their wire time.
constexpr std::int64_t kBytesBeforeThePause = 1'000;

void ExpectPause(std::int64_t length, std::int64_t pauseUs, const std::string& what) {
    EXPECT_GE(length, pauseUs - kBytesBeforeThePause) << what << ": " << Seconds(length);
    EXPECT_LE(length, pauseUs + kSlack) << what << ": " << Seconds(length);
}

// The keypad, the channel plans (type 1, no question) and the FPGA set: the pauses after the
// keypad and after the plans, the speed change's, and the finish bytes' before the closing.
TEST(SessionPauses, AfterTheKeypadThePlansTheSpeedChangeAndBeforeTheClosing) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 100;
    scenario.fpgaMinor = 3;
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    // Identification never asks for the keypad; a service build ticks its mark by hand once
    // the instrument was read.
    rig.onPump = [&] {
        if (!w.sessionRunning && !w.identityAtConnect.empty())
            w.Check_teclado.checked = true;
    };
    SilenceLog log(rig);
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption << w.resultCode;
    ASSERT_EQ(w.stepTotal, 3);
    EXPECT_EQ(rig.instrument->Keypad().endCode, 18);

    ExpectPause(log.Longest(1, 1).Length(), 9 * kSecond, "after the keypad, to the reconnection");
    const Silence speed = log.AfterSpeedChange(500000);
    ExpectPause(log.Longest(2, 2, 0, speed.fromUs).Length(), 5 * kSecond,
                "after the plans, to the reconnection");
    // Without a zone step the 1 s after the speed change runs into the 5 s before the FPGA.
    ExpectPause(speed.Length(), 6 * kSecond, "after the speed change and before the FPGA set");
    // The FPGA set is the last step: no reconnection after it. The finish bytes' 0.5 s and the
    // 10 s come before the closing.
    ExpectPause(log.Longest(3, 3).Length(), 10 * kSecond + 500'000, "finish bytes and closing");
    // The end sends the finish bytes again and waits 0.5 s before it ends the link.
    ASSERT_FALSE(log.silences.empty());
    ExpectPause(log.silences.back().Length(), 500'000, "finish bytes at the end");
    EXPECT_LE(log.silences.back().Length(), 600'000);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

// The main firmware plan: zone, FPGA set, main firmware, module.
TEST(SessionPauses, AroundTheZoneStepAndNoneAfterTheLastStep) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.firmwareRelease = "1.89";
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    SilenceLog log(rig);
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.Label_info1.caption << w.resultCode;
    ASSERT_EQ(w.stepTotal, 4);

    const Silence speed = log.AfterSpeedChange(500000);
    EXPECT_EQ(speed.stepAfter, 1);  // the zone step follows it
    ExpectPause(speed.Length(), 1 * kSecond, "after the speed change");
    // The zone's last write keeps its own pause, as long as the one after the write before it;
    // the 5 s before the FPGA set follow.
    const Silence beforeFpga = log.Longest(1, 1, speed.toUs);
    const Silence zoneOwn = log.Longest(1, 1, speed.toUs, beforeFpga.fromUs);
    ExpectPause(beforeFpga.Length() - zoneOwn.Length(), 5 * kSecond, "before the FPGA set");
    // The main firmware follows the FPGA set without a reconnection.
    EXPECT_LT(log.Longest(2, 2).Length(), kSecond);
    EXPECT_LT(log.Longest(2, 3).Length(), kSecond);
    // The module is the last step: no 17 s, no reconnection; the closing's pauses follow.
    ExpectPause(log.Longest(4, 4).Length(), 10 * kSecond + 500'000, "finish bytes and closing");
    ExpectPause(log.silences.back().Length(), 500'000, "finish bytes at the end");
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

}  // namespace
}  // namespace kell::testing
