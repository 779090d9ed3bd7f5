// CPU use while the program waits for the user: a session on the real device stack against
// kell-sim reaches the channel-plan question of a type-0 instrument, which stays unanswered for
// a while before Cancel. The wait sleeps in the event loop, so the figure should be close to
// nothing.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "tests/unplug/real_session_rig.h"

int main(int argc, char** argv) {
    using namespace kell::testing;
    QCoreApplication app(argc, argv);
    constexpr double kWaitSeconds = 10.0;
    const std::string scenario = std::string(KELL_SIM_SCENARIO_DIR) + "/plan-type-0-old.json";
    std::ifstream file(scenario);
    const std::string json((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    RealSessionRig rig(json);
    if (!rig.started) {
        std::printf("user_wait: %s\n", rig.simulator.Error().c_str());
        return 1;
    }

    bool waiting = false;
    std::chrono::steady_clock::time_point shownAt;
    double cpuAtShow = 0, cpuAtAnswer = 0, wallS = 0;
    rig.answerPanel = [&](const std::string&) {
        const auto now = std::chrono::steady_clock::now();
        if (!waiting) {
            waiting = true;
            shownAt = now;
            cpuAtShow = ProcessCpuSeconds();
            return 0;
        }
        wallS = std::chrono::duration<double>(now - shownAt).count();
        if (wallS < kWaitSeconds)
            return 0;
        cpuAtAnswer = ProcessCpuSeconds();
        return -1;  // Cancel: the plans are not written, and nothing else is to do
    };
    rig.Search();
    if (!waiting) {
        std::printf("user_wait: no question was shown\n");
        return 1;
    }
    const double cpu = cpuAtAnswer - cpuAtShow;
    std::printf("user_wait: question unanswered for %.2f s: CPU %.3f s = %.2f %% of one core\n",
                wallS, cpu, 100.0 * cpu / wallS);
    return 0;
}
