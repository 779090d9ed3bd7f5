#pragma once

#include <cstdint>
#include <span>

#include "fuzz/support/scripted_answers.h"
#include "platform/seams.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace kell::fuzz {

inline constexpr const char* kInstrumentPath = "/dev/ttyFUZZ0";
inline constexpr int kInstrumentPort = 1;

// The seams on virtual time with port 1 wired to an instrument that plays a fuzz input back.
// `startUs` places the start inside a second, which decides how long the first whole-second
// deadlines last.
struct VirtualInstrument {
    VirtualInstrument(std::span<const std::uint8_t> script, std::int64_t startUs);

    // The lead byte of a fuzz input as a start time: up to a second past a whole second.
    static std::int64_t StartFromByte(std::uint8_t byte);

    VirtualClock clock;
    VirtualLine line{clock};
    // Before the serial device, which still closes the line when it goes.
    ScriptedAnswers instrument;
    VirtualLineSet lines;
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    Seams seams{clock, device, pump, notifier, ports};
};

}  // namespace kell::fuzz
