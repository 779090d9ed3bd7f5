#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"
#include "tests/support/bytes.h"
#include "tests/support/voice.h"

namespace kell::testing {

// A far end for protocol tests, written from the instrument's side and sharing nothing with the
// updater: it answers given byte patterns with given replies after given delays and records
// everything it receives. The bytes received since the last answered pattern are matched
// against the rules in the order they were given; the first rule with uses left whose pattern
// ends them fires.
class ScriptedFarEnd : public LineDevice {
  public:
    static constexpr int kAlways = -1;

    ScriptedFarEnd(VirtualClock& clock, DevicePort& port) : voice_(clock, port) {}

    ScriptedFarEnd& On(Bytes pattern, Bytes reply, std::int64_t delayUs = 1000,
                       int times = kAlways) {
        Bytes copy = reply;
        return OnDo(
            std::move(pattern), [this, copy, delayUs] { Say(copy, delayUs); }, times);
    }
    ScriptedFarEnd& OnDo(Bytes pattern, std::function<void()> action, int times = kAlways) {
        rules_.push_back({std::move(pattern), std::move(action), times});
        return *this;
    }

    // Sends bytes to the PC after a delay, unasked.
    void Say(Bytes reply, std::int64_t delayUs = 0) { voice_.Say(std::move(reply), delayUs); }

    void OnByteFromHost(std::uint8_t byte) override {
        received.push_back(byte);
        receivedAtUs.push_back(voice_.NowUs());
        pending_.push_back(byte);
        for (Rule& rule : rules_) {
            if (rule.usesLeft == 0 || !EndsWith(pending_, rule.pattern))
                continue;
            if (rule.usesLeft > 0)
                --rule.usesLeft;
            pending_.clear();
            rule.action();
            break;
        }
    }

    // How often `pattern` occurs in what was received (non-overlapping).
    int Count(const Bytes& pattern) const {
        int count = 0;
        for (std::size_t i = 0; pattern.size() && i + pattern.size() <= received.size();) {
            if (std::equal(pattern.begin(), pattern.end(), received.begin() + i)) {
                ++count;
                i += pattern.size();
            } else {
                ++i;
            }
        }
        return count;
    }

    Bytes received;
    std::vector<std::int64_t> receivedAtUs;

  private:
    struct Rule {
        Bytes pattern;
        std::function<void()> action;
        int usesLeft;
    };

    static bool EndsWith(const Bytes& bytes, const Bytes& tail) {
        return !tail.empty() && bytes.size() >= tail.size() &&
               std::equal(tail.begin(), tail.end(), bytes.end() - tail.size());
    }

    Voice voice_;
    std::vector<Rule> rules_;
    Bytes pending_;
};

// Joins byte runs: Cat({1, 2}, Bytes(3, 0xFF)).
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace kell::testing
