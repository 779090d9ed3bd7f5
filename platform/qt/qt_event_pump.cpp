#include "platform/qt/qt_event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace kell {

void QtEventPump::PumpOnce() {
    if (QAbstractEventDispatcher::instance())
        QCoreApplication::processEvents();
}

void QtEventPump::WaitForEvent(std::uint32_t maxWaitMs) {
    if (!QAbstractEventDispatcher::instance()) {
        // Nothing can wake us early; sleep the bound in small steps.
        constexpr std::uint32_t kStepMs = 10;
        for (std::uint32_t slept = 0; slept < maxWaitMs; slept += kStepMs)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::min(kStepMs, maxWaitMs - slept)));
        return;
    }
    if (maxWaitMs == 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The timer bounds the wait: its expiry is itself an event that ends the blocking pass.
    // (The timed overload of processEvents never blocks, so it cannot serve here.)
    QTimer bound;
    bound.setSingleShot(true);
    bound.setTimerType(Qt::PreciseTimer);
    bound.start(static_cast<int>(std::min<std::uint32_t>(maxWaitMs, INT_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace kell
