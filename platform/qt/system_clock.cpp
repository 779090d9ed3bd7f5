#include "platform/qt/system_clock.h"

#include <chrono>
#include <thread>

namespace kell {

std::int64_t SystemClock::Seconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::uint32_t SystemClock::TickMs() {
    using namespace std::chrono;
    // Truncated like a 32-bit tick counter; callers only take differences.
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::int64_t SystemClock::MonotonicUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kell
