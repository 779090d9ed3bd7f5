#pragma once

#include <cstdint>
#include <memory>

#include "link/link_context.h"
#include "link/port_lock.h"
#include "link/port_settings.h"
#include "link/serial_channel.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"
#include "tests/support/virtual_calendar.h"

namespace kell::test {

// The virtual clock and line. A rig's far end is built on them, before the channel, so that it
// outlives the channel's closing of the port when the rig goes.
struct VirtualWire {
    explicit VirtualWire(std::int64_t startUs) : clock(startUs) {}

    VirtualClock clock;
    VirtualLine line{clock};
};

// A far end of type Device, built on the clock and the line and attached as `instrument`.
template <class Device>
struct InstrumentEnd : VirtualWire {
    explicit InstrumentEnd(std::int64_t startUs) : VirtualWire(startUs) {
        line.Attach(&instrument);
    }

    Device instrument{clock, line};
};

// A channel open at `baud` on the virtual line of End, and the link context over it with a
// stop flag of its own. End is a VirtualWire that builds its far end and attaches it to the
// line (an InstrumentEnd, or one that gives its far end a name of its own).
template <class End>
struct LineRig : End {
    static constexpr const char* kPortPath = "/dev/ttyV0";

    explicit LineRig(std::int64_t startUs = kMidSecond, std::uint32_t baud = 115200)
        : End(startUs), startUs(startUs) {
        lines.Add(kPortPath, &this->line);
        this->line.SetDeviceBaud(baud);
        ports.Set(1, kPortPath);
        PortSettings settings{};
        settings.BaudRate = baud;
        serial.Configure(1, settings);
    }

    // Virtual time since `fromUs`, and since the rig's start, in seconds.
    double SecondsSince(std::int64_t fromUs) const {
        return static_cast<double>(this->clock.NowUs() - fromUs) / kSecondUs;
    }
    double SecondsSinceStart() const { return SecondsSince(startUs); }

    std::int64_t startUs;
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    // A lock file that cannot exist keeps the lock inside this process.
    TMonitorPSerie serial{device, ports, this->clock,
                          std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    ScriptedEventPump pump{&this->clock};
    RecordingNotifier notifier;
    bool stopSession = false;
    LinkContext link{serial, this->clock, pump, notifier, &stopSession};
};

}  // namespace kell::test
