#include "sim/standalone/realtime_loop.h"

#include <chrono>
#include <thread>

namespace kell::sim {

std::int64_t RealtimeLoop::Seconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t RealtimeLoop::MonotonicUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealtimeLoop::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Scheduler::EventId RealtimeLoop::After(std::int64_t delayUs, std::function<void()> action) {
    const EventId id = nextId_++;
    const std::int64_t at = MonotonicUs() + (delayUs > 0 ? delayUs : 0);
    events_.emplace(Key{at, id}, std::move(action));
    timeOf_.emplace(id, at);
    return id;
}

void RealtimeLoop::Cancel(EventId id) {
    auto it = timeOf_.find(id);
    if (it == timeOf_.end())
        return;
    events_.erase(Key{it->second, id});
    timeOf_.erase(it);
}

void RealtimeLoop::RunDue() {
    const std::int64_t now = MonotonicUs();
    while (!events_.empty() && events_.begin()->first.first <= now) {
        auto node = events_.extract(events_.begin());
        timeOf_.erase(node.key().second);
        node.mapped()();
    }
}

std::int64_t RealtimeLoop::UntilNextUs() {
    if (events_.empty())
        return -1;
    const std::int64_t wait = events_.begin()->first.first - MonotonicUs();
    return wait > 0 ? wait : 0;
}

}  // namespace kell::sim
