#pragma once

#include <memory>

#include "link/port_lock.h"
#include "link/serial_channel.h"
#include "link/session_context.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_line.h"
#include "tests/modules/scripted_instrument.h"

namespace kell::test {

inline constexpr std::int64_t kSecondUs = 1'000'000;
// Half a second into a second, so that a whole-second limit of N lasts N - 0.5 s.
inline constexpr std::int64_t kStartUs = 1'800'000'000LL * kSecondUs + 500'000;

// A session over a channel open on a virtual line whose far end is the scripted instrument.
struct ModuleRig {
    explicit ModuleRig(std::int64_t startUs = kStartUs) : startUs(startUs), clock(startUs) {
        lines.Add("/dev/ttyV0", &line);
        line.Attach(&instrument);
        ports.Set(1, "/dev/ttyV0");
        serial.Configure(1, PortSettings{});
        ProgressBar_general.SetRange(0, 2000);
    }

    double SecondsSinceStart() const {
        return static_cast<double>(clock.NowUs() - startUs) / kSecondUs;
    }

    std::int64_t startUs;

    VirtualClock clock;
    VirtualLine line{clock};
    // Before the channel, so that it outlives the channel's closing of the port.
    ScriptedInstrument instrument{clock, line};
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    TMonitorPSerie serial{device, ports, clock,
                          std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;

    bool stopSession = false;
    int resultCode = 0;
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;
    bool connected = true;
    ProgressBar Barra_progreso;
    ProgressBar ProgressBar_general;
    Timer Timer_desconexion;
    SessionContext session{LinkContext{serial, clock, pump, notifier, &stopSession},
                           stopSession,
                           resultCode,
                           overallPosition,
                           stepStartTime,
                           connected,
                           Barra_progreso,
                           ProgressBar_general,
                           Timer_desconexion,
                           {},
                           {},
                           {},
                           {}};
};

}  // namespace kell::test
