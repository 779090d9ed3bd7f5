#include <QCoreApplication>
#include <QTimer>
#include <chrono>

#include "platform/qt/qt_event_pump.h"
#include "platform/qt/system_clock.h"
#include "tests/platform_qt/qt_application.h"

namespace kell::testing {
namespace {

using Steady = std::chrono::steady_clock;

long ElapsedMs(Steady::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - since).count());
}

struct QtPump : WithQtApplication {
    QtEventPump pump;

    void SetUp() override {
        for (int i = 0; i < 10; ++i)
            pump.PumpOnce();  // whatever earlier tests left behind
    }
};

TEST_F(QtPump, PumpOnceRunsWhatIsPending) {
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    pump.PumpOnce();
    EXPECT_TRUE(ran);
}

TEST_F(QtPump, WaitEndsWithTheFirstEvent) {
    bool fired = false;
    QTimer::singleShot(20, QCoreApplication::instance(), [&] { fired = true; });
    const auto start = Steady::now();
    for (int i = 0; i < 100 && !fired; ++i)
        pump.WaitForEvent(10000);
    EXPECT_TRUE(fired);
    EXPECT_LT(ElapsedMs(start), 5000);
}

TEST_F(QtPump, WaitWithNothingHappeningSleepsItsBound) {
    const auto start = Steady::now();
    pump.WaitForEvent(60);
    const long waited = ElapsedMs(start);
    EXPECT_GE(waited, 40);
    EXPECT_LT(waited, 5000);
}

TEST(QtPumpWithoutApplication, WaitSleepsAndPumpDoesNothing) {
    QtEventPump pump;
    pump.PumpOnce();
    const auto start = Steady::now();
    pump.WaitForEvent(30);
    EXPECT_GE(ElapsedMs(start), 30);
    pump.WaitForEvent(0);
}

TEST(SystemClock, TickAndMonotonicTimeFollowASleep) {
    SystemClock clock;
    const std::uint32_t tick = clock.TickMs();
    const std::int64_t us = clock.MonotonicUs();
    clock.SleepMs(20);
    EXPECT_GE(clock.TickMs() - tick, 19u);
    EXPECT_GE(clock.MonotonicUs() - us, 20'000);
    EXPECT_GT(clock.Seconds(), 1'600'000'000);
}

}  // namespace
}  // namespace kell::testing
