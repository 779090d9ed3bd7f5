// The cable pulled in the middle of each long step, on the real device stack: the instrument's
// pseudo-terminal is closed under the program while it writes. The session must end at once
// with a failure and its code, without a crash, and without spinning on the dead port.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "tests/platform_qt/qt_application.h"
#include "tests/unplug/real_session_rig.h"

namespace kell::testing {
namespace {

struct PulledCable {
    const char* step;
    // What is out of date on the instrument, and the exchange during which the cable goes.
    const char* scenario;
};

std::ostream& operator<<(std::ostream& out, const PulledCable& c) {
    return out << c.step;
}

class UnplugTest : public WithQtApplication, public ::testing::WithParamInterface<PulledCable> {};

TEST_P(UnplugTest, EndsAsAFailureWithItsCodeAndWithoutSpinning) {
    RealSessionRig rig(GetParam().scenario);
    ASSERT_TRUE(rig.started) << rig.simulator.Error();
    Tventana_brisca& w = *rig.window;

    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    rig.Search();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;

    EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed) << w.controls.Label_info1.caption;
    EXPECT_NE(w.State().resultCode, 0);
    EXPECT_NE(w.controls.Label_info1.caption.find(std::to_string(w.State().resultCode)),
              std::string::npos)
        << "the outcome names the code: " << w.controls.Label_info1.caption;
    EXPECT_FALSE(w.State().sessionRunning);
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(rig.serial.IsOpen()) << "the dead port is closed at the end";
    // The waits that follow the unplug are bounded and sleep: nearly all of the session's time
    // is spent waiting, not polling a port that fails at once (which took a whole core).
    EXPECT_LT(wall, 120.0);
    EXPECT_LT(cpu, 0.2 * wall + 2.0) << "CPU " << cpu << " s in " << wall << " s";
}

INSTANTIATE_TEST_SUITE_P(
    LongSteps, UnplugTest,
    ::testing::Values(PulledCable{"ChannelPlans", R"({"plan": {"type": 1, "version": 102},
            "faults": [{"event": "buffer_frame", "action": "unplug", "occurrence": 100}]})"},
                      PulledCable{"FpgaSet", R"({"fpga": "3.3",
            "faults": [{"event": "block", "action": "unplug", "occurrence": 300}]})"},
                      PulledCable{"MainFirmware", R"({"firmware": "1.89.00000",
            "faults": [{"event": "block", "action": "unplug", "occurrence": 3000}]})"},
                      PulledCable{"Mpeg4Module", R"({"module": {"version": 161, "build": 0},
            "faults": [{"event": "block", "action": "unplug", "occurrence": 300}]})"}),
    [](const ::testing::TestParamInfo<PulledCable>& info) { return info.param.step; });

}  // namespace
}  // namespace kell::testing
