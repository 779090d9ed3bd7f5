#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/serial_device.h"

namespace kell::cli {

// A serial device that writes down everything that passes through another one: every byte
// both ways, in hexadecimal with the printable characters beside them, and the opens, closes,
// settings, purges, RTS changes and line errors, each with the milliseconds since the trace
// began. Reads that bring nothing are not written (the protocol polls a great deal), and a
// run of RTS changes (the wake pulses before every probe) is written as one line.
//
//          0.000  open /dev/pts/3: ok
//          0.123  RTS: 32 changes in 640 ms, ends off
//        757.035  -> 00                                                |.|
//        758.002  <- 5D                                                |]|
class TracingSerialDevice : public SerialDevice {
  public:
    TracingSerialDevice(SerialDevice& inner, Clock& clock, std::ostream& out);
    ~TracingSerialDevice() override { FlushRts(); }
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

  private:
    void Line(const std::string& text);
    void Line(std::int64_t atUs, const std::string& text);
    void FlushRts();
    void Bytes(const char* direction, const std::uint8_t* data, std::size_t count,
               const std::string& note = {});

    SerialDevice& inner_;
    Clock& clock_;
    std::ostream& out_;
    std::optional<std::int64_t> startUs_;
    // The run of RTS changes not yet written.
    int rtsChanges_ = 0;
    std::int64_t rtsFirstUs_ = 0;
    std::int64_t rtsLastUs_ = 0;
    bool rtsOn_ = false;
    bool rtsRefused_ = false;
};

// "ok", "not found", "permission denied", "busy", "failed".
const char* OpenResultText(OpenResult result);
// "115200 8N2, DTR on" and the flow control when there is one.
std::string SettingsText(const LineSettings& settings);

}  // namespace kell::cli
