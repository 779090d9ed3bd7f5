#pragma once

#include <memory>

#include "platform/serial_device.h"

namespace kell {

// A serial device over Qt's QSerialPort, used synchronously on the calling thread: it needs no
// running event loop (when one runs, Qt may move arriving bytes into its buffer meanwhile).
// Opening is exclusive (Qt takes the port's lock file and TIOCEXCL). Every wait is bounded by
// the caller's time-out. A device that went away (a USB unplug, the far end of a
// pseudo-terminal closed) makes every later call fail at once, without waiting, until Close.
class QtSerialDevice : public SerialDevice {
  public:
    QtSerialDevice();
    ~QtSerialDevice() override;
    QtSerialDevice(const QtSerialDevice&) = delete;
    QtSerialDevice& operator=(const QtSerialDevice&) = delete;

    // Asks the driver for low latency where it has the setting.
    OpenResult Open(const std::string& path) override;
    bool IsOpen() const override;
    // Gives bytes still queued for sending a short, bounded time to leave, then closes.
    void Close() override;
    // Refused modem lines (a pseudo-terminal has none) do not count against the settings.
    bool Apply(const LineSettings& settings) override;
    // The system's queues have fixed sizes here; only reports whether the device is usable.
    bool SetQueueSizes(std::uint32_t input, std::uint32_t output) override;
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) override;
    long Write(const std::uint8_t* data, std::size_t count) override;
    // Output not yet on the wire is Qt's buffer plus the driver's queue. Line errors come from
    // the driver's error counters where it keeps them; a failed read or write since the last
    // query reports ok = false once; a device that went away reports kLineErrorDevice always.
    SerialStatus QueryStatus() override;
    // Sleeps in poll() while Qt's buffer waits for room in the driver's queue; while only the
    // driver's queue holds bytes (it gives no wake-up as it drains) it looks again every
    // millisecond. A device that went away returns at once.
    void WaitForOutput(std::uint32_t timeoutMs) override;
    void Purge(bool input, bool output) override;
    bool SetRts(bool on) override;

    // The device went away since it was opened.
    bool Gone() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kell
