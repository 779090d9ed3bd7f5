#include "gui/gui_event_pump.h"

namespace kell::gui {

int GuiEventPump::AddRefresh(std::function<void()> refresh) {
    const int id = nextId_++;
    refreshes_.emplace(id, std::move(refresh));
    return id;
}

void GuiEventPump::RemoveRefresh(int id) {
    refreshes_.erase(id);
}

void GuiEventPump::Refresh() {
    // A refresh may open or close a window; walk a copy.
    const auto refreshes = refreshes_;
    for (const auto& [id, refresh] : refreshes)
        refresh();
}

void GuiEventPump::PumpOnce() {
    Refresh();
    events_.PumpOnce();
}

void GuiEventPump::WaitForEvent(std::uint32_t maxWaitMs) {
    Refresh();
    events_.WaitForEvent(maxWaitMs);
}

}  // namespace kell::gui
