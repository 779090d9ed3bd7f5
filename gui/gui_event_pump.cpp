#include "gui/gui_event_pump.h"

namespace kell::gui {

void GuiEventPump::PumpOnce() {
    Refresh();
    events_.PumpOnce();
}

void GuiEventPump::WaitForEvent(std::uint32_t maxWaitMs) {
    Refresh();
    events_.WaitForEvent(maxWaitMs);
}

}  // namespace kell::gui
