#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "config/param_defecto.h"
#include "link/port_lock.h"
#include "link/serial_channel.h"
#include "link/session_context.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_line.h"
#include "tests/config/scripted_instrument.h"

namespace kell::test {

inline constexpr std::int64_t kSecondUs = 1'000'000;
inline constexpr std::int64_t kBaseUs = 1'800'000'000LL * kSecondUs;
inline constexpr std::int64_t kMidSecond = kBaseUs + 500'000;
inline constexpr std::int64_t kEarlyInSecond = kBaseUs + 1'000;

// An instrument of zone 1 that identification has described.
inline InstrumentFacts IdentifiedFacts() {
    InstrumentFacts facts;
    facts.identified = true;
    facts.records.zoneCode = 0x41;  // zone 1, with the upper bits the general record carries
    facts.records.modelKnown = true;
    facts.records.plansType = 2;
    facts.records.plansStoredVersion = 122;
    facts.records.plansExpectedVersion = 122;
    return facts;
}

// The channel open on a virtual line to a ScriptedInstrument, and the main window's session
// fields that the configuration operations use. The connect handler only toggles `connected`
// and notes how many frames the instrument had received by then.
struct ConfigRig {
    explicit ConfigRig(std::int64_t startUs = kMidSecond) : clock(startUs) {
        lines.Add("/dev/ttyV0", &line);
        line.Attach(&instrument);
        ports.Set(1, "/dev/ttyV0");
        serial.Configure(1, PortSettings{});
    }

    SessionContext Session() {
        SessionContext session{link,      stop,    resultCode, overallPosition, stepStartTime,
                               connected, stepBar, overallBar, timer,           {},
                               {},        {},      {}};
        session.Boton_ConectarClick = [this] {
            toggles.push_back(instrument.frames.size());
            connected = !connected;
        };
        return session;
    }

    std::unique_ptr<TFParam_defecto> Window(InstrumentFacts facts = IdentifiedFacts()) {
        auto window = std::make_unique<TFParam_defecto>(Session(), facts);
        window->sendLoaderStages = [this] {
            bootsSentAtFrame.push_back(instrument.frames.size());
            return true;
        };
        return window;
    }

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
    bool stop = false;
    LinkContext link{serial, clock, pump, notifier, &stop};

    int resultCode = 0;
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;
    bool connected = true;
    ProgressBar stepBar;
    ProgressBar overallBar;
    Timer timer;

    // Frames received by the instrument at each call of the connect handler.
    std::vector<std::size_t> toggles;
    // Frames received by the instrument when the loader stages were sent.
    std::vector<std::size_t> bootsSentAtFrame;
};

}  // namespace kell::test
