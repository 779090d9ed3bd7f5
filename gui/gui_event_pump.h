#pragma once

#include <functional>
#include <map>

#include "platform/event_pump.h"
#include "platform/qt/qt_event_pump.h"

namespace kell::gui {

// The pump of the windowed program: before the Qt event loop handles what is pending, every
// widget is brought up to date with its model, so that what a long operation set (an info
// line, a bar's position, the attention panel) shows while it runs.
class GuiEventPump : public EventPump {
  public:
    // What brings a window's widgets up to date, for as long as the window exists; the id
    // removes it again.
    int AddRefresh(std::function<void()> refresh);
    void RemoveRefresh(int id);
    void Refresh();

    void PumpOnce() override;
    void WaitForEvent(std::uint32_t maxWaitMs) override;

  private:
    QtEventPump events_;
    std::map<int, std::function<void()>> refreshes_;
    int nextId_ = 1;
};

}  // namespace kell::gui
