#pragma once

#include <memory>
#include <utility>

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

// The clock, the line and the scripted instrument on its far end.
struct ScriptedFarEnd {
    explicit ScriptedFarEnd(std::int64_t startUs) : clock(startUs) {}
    VirtualClock clock;
    VirtualLine line{clock};
    ScriptedInstrument instrument{clock, line};
};

// A session over a channel open on a virtual line whose far end (with the clock and the line)
// comes from FarEnd. The far end is built first, so that it outlives the channel's closing of
// the port.
template <class FarEnd>
struct SessionOn : FarEnd {
    template <class... Args>
    explicit SessionOn(std::int64_t startUs, Args&&... args)
        : FarEnd(startUs, std::forward<Args>(args)...), startUs(startUs) {
        lines.Add("/dev/ttyV0", &this->line);
        this->line.Attach(&this->instrument);
        ports.Set(1, "/dev/ttyV0");
        serial.Configure(1, PortSettings{});
        ProgressBar_general.SetRange(0, 2000);
    }

    double SecondsSinceStart() const {
        return static_cast<double>(this->clock.NowUs() - startUs) / kSecondUs;
    }

    std::int64_t startUs;
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    TMonitorPSerie serial{device, ports, this->clock,
                          std::make_shared<PortLock>("/nonexistent/kell-test.lock")};
    ScriptedEventPump pump{&this->clock};
    RecordingNotifier notifier;

    bool stopSession = false;
    int resultCode = 0;
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;
    bool connected = true;
    ProgressBar Barra_progreso;
    ProgressBar ProgressBar_general;
    Timer Timer_desconexion;
    SessionContext session{LinkContext{serial, this->clock, pump, notifier, &stopSession},
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

struct ModuleRig : SessionOn<ScriptedFarEnd> {
    explicit ModuleRig(std::int64_t startUs = kStartUs) : SessionOn(startUs) {}
};

}  // namespace kell::test
