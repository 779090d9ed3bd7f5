#pragma once

#include <memory>

#include "link/link_context.h"
#include "link/port_lock.h"
#include "link/serial_channel.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_line.h"
#include "tests/link/scripted_far_end.h"

namespace kell::test {

// Calendar times for the virtual clock, placing the start early or late inside a second.
inline constexpr std::int64_t kSecondUs = 1'000'000;
inline constexpr std::int64_t kBaseUs = 1'800'000'000LL * kSecondUs;
inline constexpr std::int64_t kEarlyInSecond = kBaseUs + 1'000;
inline constexpr std::int64_t kMidSecond = kBaseUs + 500'000;
inline constexpr std::int64_t kLateInSecond = kBaseUs + 990'000;

// A channel open on a virtual line whose far end is a ScriptedFarEnd, and the context the
// exchanges run in.
struct LinkRig {
    explicit LinkRig(std::int64_t startUs = kMidSecond) : clock(startUs) {
        lines.Add("/dev/ttyV0", &line);
        line.Attach(&farEnd);
        ports.Set(1, "/dev/ttyV0");
        serial.Configure(1, PortSettings{});
    }

    // Virtual time since `fromUs`, in seconds.
    double SecondsSince(std::int64_t fromUs) const {
        return static_cast<double>(clock.NowUs() - fromUs) / kSecondUs;
    }

    VirtualClock clock;
    VirtualLine line{clock};
    // Before the channel, so that it outlives the channel's closing of the port.
    ScriptedFarEnd farEnd{clock, line};
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    // A lock file that cannot exist keeps the lock inside this process.
    TMonitorPSerie serial{device, ports, clock,
                          std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    bool stop = false;
    LinkContext link{serial, clock, pump, notifier, &stop};
};

}  // namespace kell::test
