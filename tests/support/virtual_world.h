#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/line_device.h"
#include "platform/seams.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"
#include "tests/support/virtual_calendar.h"

namespace kell::testing {

// A machine on virtual time: the clock, numbered ports with a virtual line each, the PC's serial
// device over them, a pump where a test plays the user, a notifier that records, and the seams
// over all of it. It starts without ports; a rig lays out the ones it needs. The lines and the
// far ends the world keeps outlive the serial device, whose closing still reaches them.
class VirtualWorld {
  public:
    explicit VirtualWorld(std::int64_t startUs = kMidSecond) : clock(startUs) {}
    virtual ~VirtualWorld() = default;
    VirtualWorld(const VirtualWorld&) = delete;
    VirtualWorld& operator=(const VirtualWorld&) = delete;

    // The device path a port gets unless it is given one.
    static std::string PathOf(int n) { return "/dev/ttyV" + std::to_string(n); }

    // Lays out port n with a new line under `path` (PathOf(n) when empty) and returns the line.
    VirtualLine& AddPort(int n, const std::string& path = {}) {
        auto& line = lines_[n];
        line = std::make_unique<VirtualLine>(clock);
        const std::string where = path.empty() ? PathOf(n) : path;
        lines.Add(where, line.get());
        ports.Set(n, where);
        return *line;
    }
    // Port n exists, but this user may not open it.
    void AddRefusedPort(int n) {
        lines.Deny(PathOf(n));
        ports.Set(n, PathOf(n));
    }
    // The line of port n, or null when it has none.
    VirtualLine* LineOf(int n) const {
        const auto it = lines_.find(n);
        return it == lines_.end() ? nullptr : it->second.get();
    }

    // Builds Device(clock, line, args...) on port n's line (laid out when it has none),
    // attaches it there and keeps it for as long as the world lives.
    template <class Device, class... Args>
    Device& Attach(int n, Args&&... args) {
        VirtualLine* line = LineOf(n);
        if (!line)
            line = &AddPort(n);
        auto device = std::make_unique<Device>(clock, *line, std::forward<Args>(args)...);
        Device& attached = *device;
        farEnds_.push_back(std::move(device));
        line->Attach(&attached);
        return attached;
    }

    // The texts of the message boxes shown so far, in order.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const RecordingNotifier::Message& message : notifier.messages)
            texts.push_back(message.text);
        return texts;
    }

    VirtualClock clock;

  private:
    // Declared before the serial device, so that they outlive its closing.
    std::map<int, std::unique_ptr<VirtualLine>> lines_;
    std::vector<std::unique_ptr<LineDevice>> farEnds_;

  public:
    VirtualLineSet lines;
    VirtualSerialDevice serial{lines};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    FixedPortCatalog ports;
    Seams seams{clock, serial, pump, notifier, ports};
};

}  // namespace kell::testing
