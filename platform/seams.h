#pragma once

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/notifier.h"
#include "platform/port_catalog.h"
#include "platform/serial_device.h"

namespace kell {

// Everything the core needs from the world, handed to the main window at construction.
struct Seams {
    Clock& clock;
    SerialDevice& serial;
    EventPump& pump;
    Notifier& notifier;
    PortCatalog& ports;
};

}  // namespace kell
