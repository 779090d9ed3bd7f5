#pragma once

#include <functional>

#include "platform/event_pump.h"
#include "platform/qt/qt_event_pump.h"

namespace kell::gui {

// The pump of the windowed program: before the Qt event loop handles what is pending, every
// widget is brought up to date with its model, so that what a long operation set (an info
// line, a bar's position, the attention panel) shows while it runs.
class GuiEventPump : public EventPump {
  public:
    // What brings the widgets up to date; set once the windows exist.
    void SetRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }
    void Refresh() {
        if (refresh_)
            refresh_();
    }

    void PumpOnce() override;
    void WaitForEvent(std::uint32_t maxWaitMs) override;

  private:
    QtEventPump events_;
    std::function<void()> refresh_;
};

}  // namespace kell::gui
