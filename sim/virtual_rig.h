#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"
#include "sim/instrument.h"

namespace kell::sim {

// A simulated instrument on a virtual line, with the PC's serial device already open on it:
// what a test needs to talk to the instrument in virtual time. Header-only; link
// kell_platform_virtual with it.
//
//     VirtualRig rig(scenarios::NeedsFullUpdate());
//     rig.host.Write(...);                       // or hand rig.host to the updater
//     EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report();
struct VirtualRig {
    static constexpr const char* kPath = "/dev/ttyACM0";

    VirtualClock clock;
    VirtualLine line{clock};
    VirtualLineSet lines;
    VirtualSerialDevice host{lines};
    std::unique_ptr<Instrument> instrument;

    explicit VirtualRig(Scenario scenario = {}, bool openHost = true) {
        lines.Add(kPath, &line);
        instrument = std::make_unique<Instrument>(clock, clock, line, std::move(scenario));
        line.Attach(instrument.get());
        if (openHost)
            host.Open(kPath);
    }
    ~VirtualRig() {
        host.Close();
        line.Attach(nullptr);
    }
    VirtualRig(const VirtualRig&) = delete;
    VirtualRig& operator=(const VirtualRig&) = delete;

    void Send(const std::vector<std::uint8_t>& bytes) { host.Write(bytes.data(), bytes.size()); }
    // Up to `count` bytes, waiting at most timeoutMs for all of them (virtual time).
    std::vector<std::uint8_t> Receive(std::size_t count, std::uint32_t timeoutMs = 1000) {
        std::vector<std::uint8_t> out;
        const std::int64_t deadline = clock.NowUs() + static_cast<std::int64_t>(timeoutMs) * 1000;
        do {
            std::uint8_t buf[256];
            const std::int64_t leftUs = deadline - clock.NowUs();
            const std::size_t n =
                host.Read(buf, std::min<std::size_t>(sizeof buf, count - out.size()),
                          static_cast<std::uint32_t>(leftUs > 0 ? (leftUs + 999) / 1000 : 0));
            out.insert(out.end(), buf, buf + n);
        } while (out.size() < count && clock.NowUs() < deadline);
        return out;
    }
    std::vector<std::uint8_t> Exchange(const std::vector<std::uint8_t>& request,
                                       std::size_t answerBytes, std::uint32_t timeoutMs = 1000) {
        Send(request);
        return Receive(answerBytes, timeoutMs);
    }
    // Both ends at a new speed (the instrument follows its own line-speed command).
    void SetHostBaud(std::uint32_t baud) {
        LineSettings settings;
        settings.baudRate = baud;
        host.Apply(settings);
    }
    void Wait(std::uint32_t ms) { clock.AdvanceBy(static_cast<std::int64_t>(ms) * 1000); }
};

}  // namespace kell::sim
