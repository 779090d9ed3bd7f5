#pragma once

#include <cstdint>
#include <memory>

#include "link/link_context.h"
#include "link/port_lock.h"
#include "link/port_settings.h"
#include "link/serial_channel.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// A channel open at `baud` on port 1 of a virtual world, whose far end is a Device built on the
// clock and the line, and the link context over it with a stop flag of its own.
template <class Device>
struct LineRig : VirtualWorld {
    explicit LineRig(std::int64_t startUs = kMidSecond, std::uint32_t baud = 115200)
        : VirtualWorld(startUs), startUs(startUs) {
        line.SetDeviceBaud(baud);
        PortSettings settings{};
        settings.BaudRate = baud;
        channel.Configure(1, settings);
    }

    // Virtual time since `fromUs`, and since the rig's start, in seconds.
    double SecondsSince(std::int64_t fromUs) const {
        return static_cast<double>(clock.NowUs() - fromUs) / kSecondUs;
    }
    double SecondsSinceStart() const { return SecondsSince(startUs); }

    std::int64_t startUs;
    Device& instrument = Attach<Device>(1);
    VirtualLine& line = *LineOf(1);
    // A lock file that cannot exist keeps the lock inside this process.
    TMonitorPSerie channel{serial, ports, clock,
                           std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    bool stopSession = false;
    LinkContext link{channel, clock, pump, notifier, &stopSession};
};

}  // namespace kell::testing
