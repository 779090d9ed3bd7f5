#pragma once

#include <memory>

#include "link/link_context.h"
#include "link/port_lock.h"
#include "link/serial_channel.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_line.h"
#include "tests/firmware/scripted_loader.h"

namespace kell::test {

inline constexpr std::int64_t kSecondUs = 1'000'000;
// Half a second into a calendar second, so that whole-second limits are neither long nor short.
inline constexpr std::int64_t kStartUs = 1'800'000'000LL * kSecondUs + 500'000;

// A channel open on a virtual line whose far end is a ScriptedLoader, and the link context
// over it with a stop flag of its own.
struct LoaderLine {
    explicit LoaderLine(std::uint32_t baud = 115200) : clock(kStartUs) {
        lines.Add("/dev/ttyV0", &line);
        line.Attach(&loader);
        line.SetDeviceBaud(baud);
        ports.Set(1, "/dev/ttyV0");
        PortSettings settings{};
        settings.BaudRate = baud;
        serial.Configure(1, settings);
    }

    double SecondsSince(std::int64_t fromUs) const {
        return static_cast<double>(clock.NowUs() - fromUs) / kSecondUs;
    }

    VirtualClock clock;
    VirtualLine line{clock};
    // Before the channel, so that it outlives the channel's closing of the port.
    ScriptedLoader loader{clock, line};
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    // A lock file that cannot exist keeps the lock inside this process.
    TMonitorPSerie serial{device, ports, clock,
                          std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    bool stopSession = false;
    LinkContext link{serial, clock, pump, notifier, &stopSession};
};

}  // namespace kell::test
