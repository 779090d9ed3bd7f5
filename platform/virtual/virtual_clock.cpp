#include "platform/virtual/virtual_clock.h"

#include <limits>

namespace kell {

VirtualClock::VirtualClock(std::int64_t startUs) : nowUs_(startUs) {}

Scheduler::EventId VirtualClock::After(std::int64_t delayUs, std::function<void()> action) {
    return At(nowUs_ + (delayUs > 0 ? delayUs : 0), std::move(action));
}

Scheduler::EventId VirtualClock::At(std::int64_t timeUs, std::function<void()> action) {
    const EventId id = Reserve();
    AtReserved(timeUs, id, std::move(action));
    return id;
}

void VirtualClock::AtReserved(std::int64_t timeUs, EventId id, std::function<void()> action) {
    if (timeUs < nowUs_)
        timeUs = nowUs_;
    events_.emplace(Key{timeUs, id}, std::move(action));
    timeOf_.emplace(id, timeUs);
}

void VirtualClock::Cancel(EventId id) {
    auto it = timeOf_.find(id);
    if (it == timeOf_.end())
        return;
    events_.erase(Key{it->second, id});
    timeOf_.erase(it);
}

std::int64_t VirtualClock::NextEventUs() const {
    return events_.empty() ? std::numeric_limits<std::int64_t>::max()
                           : events_.begin()->first.first;
}

void VirtualClock::AdvanceTo(std::int64_t timeUs) {
    while (!events_.empty() && events_.begin()->first.first <= timeUs) {
        auto node = events_.extract(events_.begin());
        timeOf_.erase(node.key().second);
        if (node.key().first > nowUs_)
            nowUs_ = node.key().first;
        node.mapped()();
    }
    if (timeUs > nowUs_)
        nowUs_ = timeUs;
}

bool VirtualClock::AdvanceUntil(const std::function<bool()>& done, std::int64_t limitUs) {
    while (!done()) {
        std::int64_t next = NextEventUs();
        if (next > limitUs) {
            AdvanceTo(limitUs);
            return done();
        }
        AdvanceTo(next);
    }
    return true;
}

}  // namespace kell
