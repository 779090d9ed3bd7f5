#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/notifier.h"
#include "platform/port_catalog.h"
#include "platform/virtual/virtual_clock.h"

namespace kell {

// A pump where a test plays the user: onPump runs at every pump and every wait for an event.
// A wait for an event takes a little virtual time, as a person does.
class ScriptedEventPump : public EventPump {
  public:
    explicit ScriptedEventPump(VirtualClock* clock = nullptr) : clock_(clock) {}

    void PumpOnce() override;
    void WaitForEvent(std::uint32_t maxWaitMs) override;

    std::function<void()> onPump;
    long pumps = 0;
    long waits = 0;
    // A wait that nobody ever answers is a broken test, not a slow one.
    long maxWaits = 10'000'000;

  private:
    VirtualClock* clock_;
};

// Another pump (a real event loop) with an observer after each of its passes: a benchmark or a
// test over the real device stack sees every pass, and may play the user there.
class ObservingPump : public EventPump {
  public:
    explicit ObservingPump(EventPump& inner) : inner_(inner) {}
    void PumpOnce() override {
        inner_.PumpOnce();
        if (onPump)
            onPump();
    }
    void WaitForEvent(std::uint32_t maxWaitMs) override {
        inner_.WaitForEvent(maxWaitMs);
        if (onPump)
            onPump();
    }
    std::function<void()> onPump;

  private:
    EventPump& inner_;
};

// Records beeps and message boxes; answers message boxes from a queue (OK when it is empty).
class RecordingNotifier : public Notifier {
  public:
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };

    void Beep(int frequencyHz, int durationMs) override;
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override;

    std::vector<std::pair<int, int>> beeps;
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::function<void(const Message&)> onMessage;
};

// Ports as a test sets them.
class FixedPortCatalog : public PortCatalog {
  public:
    void Set(int number, const std::string& path) { ports_[number] = path; }
    void Remove(int number) { ports_.erase(number); }
    void SetSystemNames(std::vector<std::string> names) { systemNames_ = std::move(names); }

    void Rescan() override { ++rescans; }
    bool Exists(int number) override {
        probed.push_back(number);
        return ports_.count(number) != 0;
    }
    std::vector<std::string> SystemPortNames() override { return systemNames_; }
    std::string DevicePath(int number) override;
    std::string Describe(int number) override { return DevicePath(number); }

    std::vector<int> probed;  // every number Exists was asked about, in order
    int rescans = 0;

  private:
    std::map<int, std::string> ports_;
    std::vector<std::string> systemNames_;
};

}  // namespace kell
