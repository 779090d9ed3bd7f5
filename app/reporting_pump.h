#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/event_pump.h"

namespace kell {

// The event pump the main window and its updaters run: before each pass of the front end's own
// pump it reports what the window shows, so that the front end hears of every change before
// it runs.
class ReportingPump : public EventPump {
  public:
    ReportingPump(EventPump& inner, std::function<void()> report)
        : inner_(inner), report_(std::move(report)) {}

    void PumpOnce() override {
        report_();
        inner_.PumpOnce();
    }
    void WaitForEvent(std::uint32_t maxWaitMs) override {
        report_();
        inner_.WaitForEvent(maxWaitMs);
    }

  private:
    EventPump& inner_;
    std::function<void()> report_;
};

}  // namespace kell
