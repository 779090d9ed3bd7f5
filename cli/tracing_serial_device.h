#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/serial_device.h"
#include "trace/trace_event.h"

namespace kell::cli {

// A serial device that writes down everything that passes through another one, in the trace
// format of trace/trace_text.h: the opens (with the device node each went to), closes,
// settings, RTS changes, purges and line errors, and every byte both ways, each with its time.
// A person can read it, and kell-sim --replay plays it back as the meter. Reads that bring
// nothing are not written (the protocol polls a great deal). Each event is flushed at once, so
// that a trace of a program that is killed ends at its last event.
class TracingSerialDevice : public SerialDevice {
  public:
    TracingSerialDevice(SerialDevice& inner, Clock& clock, std::ostream& out);
    TracingSerialDevice(const TracingSerialDevice&) = delete;
    TracingSerialDevice& operator=(const TracingSerialDevice&) = delete;

    OpenResult Open(const std::string& path) override;
    bool IsOpen() const override { return inner_.IsOpen(); }
    void Close() override;
    bool Apply(const LineSettings& settings) override;
    bool SetQueueSizes(std::uint32_t input, std::uint32_t output) override;
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) override;
    long Write(const std::uint8_t* data, std::size_t count) override;
    SerialStatus QueryStatus() override;
    // Not written down: nothing crosses the line.
    void WaitForOutput(std::uint32_t timeoutMs) override { inner_.WaitForOutput(timeoutMs); }
    void Purge(bool input, bool output) override;
    bool SetRts(bool on) override;

    // Who recorded the trace and when: before the first event.
    void WriteHeader(const trace::TraceHeader& header);
    // A question of the session (by its kind's name) and its answer, for a replay to give again.
    void WriteAnswer(const std::string& question, bool ok);
    // The program's verdict on the session, as the last line.
    void WriteOutcome(const std::string& name, int exitStatus, int resultCode,
                      const std::string& summary);

  private:
    trace::TraceEvent Event(trace::TraceEvent::Kind kind);
    void Put(const trace::TraceEvent& event);

    SerialDevice& inner_;
    Clock& clock_;
    std::ostream& out_;
    std::optional<std::int64_t> startUs_;
};

// The device node a path leads to now (a stable link followed), or the path itself.
std::string ResolvedNode(const std::string& path);

}  // namespace kell::cli
